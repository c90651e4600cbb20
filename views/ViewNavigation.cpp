#include "ViewNavigation.h"

namespace levyc {

WorldPoint WorldAt(const WorldWindow &window, QSizeF size, QPointF pixel)
{
    return {window.Left + window.Width() * (pixel.x() / size.width()),
            window.Top + window.Height() * (pixel.y() / size.height())};
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
    const double dx = -window.Width() * (pixels.x() / size.width());
    const double dy = -window.Height() * (pixels.y() / size.height());
    const WorldWindow panned{window.Left + dx, window.Top + dy, window.Right + dx, window.Bottom + dy};
    return IsDrawableWindow(panned) ? panned : window;
}

WorldWindow Resized(const WorldWindow &window, QSizeF from, QSizeF to)
{
    if (from.isEmpty() || to.isEmpty()) {
        return window;
    }
    const WorldWindow resized{window.Left, window.Top, window.Left + window.Width() * (to.width() / from.width()),
                              window.Top + window.Height() * (to.height() / from.height())};
    return IsDrawableWindow(resized) ? resized : window;
}

} // namespace levyc
