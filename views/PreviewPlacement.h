#pragma once

#include "world/WorldWindow.h"

#include <QRectF>
#include <QSize>

#include <optional>

namespace levyc {

// Where a picture goes while the next one renders: the part of it still in
// sight, and where that part lands, scaled, on the new view.
struct PreviewPlacement
{
    QRectF source; // in the image's pixels, whole pixels only
    QRectF target; // in the new view's pixels
};

// An image of `size` pixels shows `shown`; the screen is to show `view` at
// `screen` pixels, or at the image's size. Nothing when no part of the image
// stays in sight, or a window is empty or flipped.
std::optional<PreviewPlacement> PlacePreview(const WorldWindow &shown, const WorldWindow &view, QSize size,
                                             QSize screen);
inline std::optional<PreviewPlacement> PlacePreview(const WorldWindow &shown, const WorldWindow &view, QSize size)
{
    return PlacePreview(shown, view, size, size);
}

// How many screen pixels one of the image's pixels spans, along the axis where
// it spans more, when placed as above: 1 for the exact picture, 2 for one of
// half the size or one zoomed in twice since it was made. Infinite where
// PlacePreview places nothing.
double PreviewEnlargement(const WorldWindow &shown, const WorldWindow &view, QSize size, QSize screen);

} // namespace levyc
