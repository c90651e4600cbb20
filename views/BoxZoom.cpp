#include "BoxZoom.h"

#include "ViewRender.h"

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
    const double centreX = window.Left + drawn.center().x() / size.width() * width;
    const double centreY = window.Top + drawn.center().y() / size.height() * height;
    const WorldWindow zoomed{centreX - width / (2 * factor), centreY - height / (2 * factor),
                             centreX + width / (2 * factor), centreY + height / (2 * factor)};
    return IsDrawableWindow(zoomed) ? zoomed : window;
}

} // namespace levyc
