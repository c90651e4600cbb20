#include "PreviewPlacement.h"

#include <cmath>

namespace levyc {

std::optional<PreviewPlacement> PlacePreview(const WorldWindow &shown, const WorldWindow &view, QSize size)
{
    // Image pixel u of the shown view lands on pixel scale u + offset of the new one.
    const double viewWidth = view.Right - view.Left;
    const double viewHeight = view.Bottom - view.Top;
    const double scaleX = (shown.Right - shown.Left) / viewWidth;
    const double scaleY = (shown.Bottom - shown.Top) / viewHeight;
    if (!(scaleX > 0.0) || !(scaleY > 0.0) || !std::isfinite(scaleX) || !std::isfinite(scaleY)) {
        return std::nullopt;
    }
    const double offsetX = (shown.Left - view.Left) / viewWidth * size.width();
    const double offsetY = (shown.Top - view.Top) / viewHeight * size.height();
    // Only the part of the image that stays in sight: deep in, a few pixels
    // scaled a billionfold.
    const QRectF wanted(QPointF(-offsetX / scaleX, -offsetY / scaleY),
                        QPointF((size.width() - offsetX) / scaleX, (size.height() - offsetY) / scaleY));
    const QRectF source = QRectF(QPointF(std::floor(wanted.left()), std::floor(wanted.top())),
                                 QPointF(std::ceil(wanted.right()), std::ceil(wanted.bottom()))) &
                          QRectF(QPointF(0, 0), QSizeF(size));
    if (source.isEmpty()) {
        return std::nullopt;
    }
    const QRectF target(QPointF(source.left() * scaleX + offsetX, source.top() * scaleY + offsetY),
                        QPointF(source.right() * scaleX + offsetX, source.bottom() * scaleY + offsetY));
    return PreviewPlacement{source, target};
}

} // namespace levyc
