#include "ViewNavigation.h"

namespace levyc {

WorldPoint WorldAt(const WorldWindow &window, QSizeF size, QPointF pixel)
{
    return PixelToWorld{window, size.width(), size.height()}.At(pixel.x(), pixel.y());
}

WorldWindow ZoomedAbout(const WorldWindow &window, QSizeF size, QPointF pixel, double factor)
{
    const WorldPoint fixed = WorldAt(window, size, pixel);
    const WorldWindow zoomed{fixed.X - (fixed.X - window.Left) / factor, fixed.Y - (fixed.Y - window.Top) / factor,
                             fixed.X + (window.Right - fixed.X) / factor, fixed.Y + (window.Bottom - fixed.Y) / factor};
    return factor > 0.0 && IsDrawableWindow(zoomed) ? zoomed : window;
}

WorldWindow Panned(const WorldWindow &window, QSizeF size, QPointF pixels)
{
    const PixelToWorld mapping{window, size.width(), size.height()};
    const double dx = -mapping.SpanX(pixels.x());
    const double dy = -mapping.SpanY(pixels.y());
    const WorldWindow panned{window.Left + dx, window.Top + dy, window.Right + dx, window.Bottom + dy};
    return IsDrawableWindow(panned) ? panned : window;
}

WorldWindow Resized(const WorldWindow &window, QSizeF from, QSizeF to)
{
    if (from.isEmpty() || to.isEmpty()) {
        return window;
    }
    // The old image's world at the new size's far corner.
    const WorldPoint corner = PixelToWorld{window, from.width(), from.height()}.At(to.width(), to.height());
    const WorldWindow resized{window.Left, window.Top, corner.X, corner.Y};
    return IsDrawableWindow(resized) ? resized : window;
}

} // namespace levyc
