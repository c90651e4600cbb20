#include "OverviewPlacement.h"

#include "ViewText.h"

#include "world/PictureWorld.h"

#include <algorithm>
#include <cmath>

namespace levyc {

namespace {

// Past this zoom the view alone no longer says where it is in the Draw.
constexpr double OverviewFromZoom = 4;
// The overview's width against the picture's, and its distance from the edges.
constexpr double OverviewPart = 0.25;
constexpr double OverviewMargin = 6;
// A mark narrower or lower than this is a cross, with arms this long.
constexpr double SmallestMark = 3;
constexpr double CrossArm = 5;

} // namespace

OverviewPlacement::OverviewPlacement(QSizeF picture)
{
    // The Draw's picture, of the picture's shape, scaled down.
    const double width = std::round(picture.width() * OverviewPart);
    const double height = picture.width() > 0 ? std::round(width * picture.height() / picture.width()) : 0;
    frame_ =
        QRectF(picture.width() - OverviewMargin - width, picture.height() - OverviewMargin - height, width, height);
}

bool OverviewPlacement::Shows(const WorldWindow &view, QSize size)
{
    return std::abs(ViewZoom(view, size)) > OverviewFromZoom;
}

QRectF OverviewPlacement::Mark(const WorldWindow &view) const
{
    const auto at = [this](double x, double y) {
        return QPointF(frame_.left() + (x - PictureWorld.Left) / PictureWorld.Width() * frame_.width(),
                       frame_.top() + (y - PictureWorld.Top) / PictureWorld.Height() * frame_.height());
    };
    return QRectF(at(view.Left, view.Top), at(view.Right, view.Bottom)).normalized();
}

bool OverviewPlacement::IsCross(const QRectF &mark)
{
    return mark.width() < SmallestMark || mark.height() < SmallestMark;
}

std::pair<QLineF, QLineF> OverviewPlacement::Cross(const QRectF &mark)
{
    const QPointF c = mark.center();
    return {QLineF(c.x() - CrossArm, c.y(), c.x() + CrossArm, c.y()),
            QLineF(c.x(), c.y() - CrossArm, c.x(), c.y() + CrossArm)};
}

std::optional<WorldPoint> OverviewPlacement::WorldAt(QPointF position) const
{
    if (!frame_.contains(position)) {
        return std::nullopt;
    }
    return levyc::WorldAt(PictureWorld, frame_.size(), position - frame_.topLeft());
}

WorldWindow OverviewPlacement::CentredOn(const WorldWindow &view, WorldPoint centre)
{
    const double dx = centre.X - view.CentreX();
    const double dy = centre.Y - view.CentreY();
    return {view.Left + dx, view.Top + dy, view.Right + dx, view.Bottom + dy};
}

} // namespace levyc
