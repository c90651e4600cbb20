#include "PreviewPlacement.h"

#include <cmath>
#include <limits>

namespace levyc {

namespace {

// Image pixel u of the shown view lands on screen pixel scale u + offset.
struct Mapping
{
    double scaleX;
    double scaleY;
    double offsetX;
    double offsetY;
};

std::optional<Mapping> MapOnto(const WorldWindow &shown, const WorldWindow &view, QSize size, QSize screen)
{
    const double viewWidth = view.Right - view.Left;
    const double viewHeight = view.Bottom - view.Top;
    const double scaleX = (shown.Right - shown.Left) / viewWidth * screen.width() / size.width();
    const double scaleY = (shown.Bottom - shown.Top) / viewHeight * screen.height() / size.height();
    if (!(scaleX > 0.0) || !(scaleY > 0.0) || !std::isfinite(scaleX) || !std::isfinite(scaleY)) {
        return std::nullopt;
    }
    return Mapping{scaleX, scaleY, (shown.Left - view.Left) / viewWidth * screen.width(),
                   (shown.Top - view.Top) / viewHeight * screen.height()};
}

} // namespace

std::optional<PreviewPlacement> PlacePreview(const WorldWindow &shown, const WorldWindow &view, QSize size,
                                             QSize screen)
{
    const std::optional<Mapping> map = MapOnto(shown, view, size, screen);
    if (!map) {
        return std::nullopt;
    }
    // Only the part of the image that stays in sight: deep in, a few pixels
    // scaled a billionfold.
    const QRectF wanted(
        QPointF(-map->offsetX / map->scaleX, -map->offsetY / map->scaleY),
        QPointF((screen.width() - map->offsetX) / map->scaleX, (screen.height() - map->offsetY) / map->scaleY));
    const QRectF source = QRectF(QPointF(std::floor(wanted.left()), std::floor(wanted.top())),
                                 QPointF(std::ceil(wanted.right()), std::ceil(wanted.bottom()))) &
                          QRectF(QPointF(0, 0), QSizeF(size));
    if (source.isEmpty()) {
        return std::nullopt;
    }
    const QRectF target(
        QPointF(source.left() * map->scaleX + map->offsetX, source.top() * map->scaleY + map->offsetY),
        QPointF(source.right() * map->scaleX + map->offsetX, source.bottom() * map->scaleY + map->offsetY));
    return PreviewPlacement{source, target};
}

double PreviewEnlargement(const WorldWindow &shown, const WorldWindow &view, QSize size, QSize screen)
{
    const std::optional<Mapping> map = MapOnto(shown, view, size, screen);
    return map ? std::max(map->scaleX, map->scaleY) : std::numeric_limits<double>::infinity();
}

} // namespace levyc
