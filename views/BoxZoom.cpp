#include "BoxZoom.h"

#include "ViewNavigation.h"

#include <algorithm>

namespace levyc {

WorldWindow ZoomedToBox(const WorldWindow &window, QSizeF size, const QRectF &box)
{
    const QRectF drawn = box.normalized();
    if (!(drawn.width() > 0.0) || !(drawn.height() > 0.0) || size.isEmpty()) {
        return window;
    }
    // The side that fills the image first sets the scale.
    const double factor = std::min(size.width() / drawn.width(), size.height() / drawn.height());
    const double width = window.Right - window.Left;
    const double height = window.Bottom - window.Top;
    const WorldPoint centre = WorldAt(window, size, drawn.center());
    const WorldWindow zoomed{centre.X - width / (2 * factor), centre.Y - height / (2 * factor),
                             centre.X + width / (2 * factor), centre.Y + height / (2 * factor)};
    return IsDrawableWindow(zoomed) ? zoomed : window;
}

} // namespace levyc
