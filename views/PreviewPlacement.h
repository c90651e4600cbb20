#pragma once

#include "world/WorldWindow.h"

#include <QRectF>
#include <QSize>

#include <optional>

namespace levyc {

// Where the last exact picture goes while the next one renders: the part of
// it still in sight, and where that part lands, scaled, on the new view.
struct PreviewPlacement
{
    QRectF source; // in the image's pixels, whole pixels only
    QRectF target; // in the new view's pixels
};

// An image of `size` pixels shows `shown`; the screen is to show `view` at the
// same size. Nothing when no part of the image stays in sight, or a window is
// empty or flipped.
std::optional<PreviewPlacement> PlacePreview(const WorldWindow &shown, const WorldWindow &view, QSize size);

} // namespace levyc
