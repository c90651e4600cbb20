#pragma once

#include "world/WorldWindow.h"

#include <QRectF>
#include <QSizeF>

namespace levyc {

// The view that shows the whole of a box drawn on an image of `size` pixels
// showing `window`, centred, each pixel scaled alike on both axes; the window
// as it was for a box with no area or a result too small or large to draw.
WorldWindow ZoomedToBox(const WorldWindow &window, QSizeF size, const QRectF &box);

} // namespace levyc
