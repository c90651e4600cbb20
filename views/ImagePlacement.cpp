#include "ImagePlacement.h"

#include <algorithm>
#include <cmath>

namespace levyc {

namespace {

int Floor(qreal value)
{
    return static_cast<int>(std::floor(value));
}

int Ceil(qreal value)
{
    return static_cast<int>(std::ceil(value));
}

} // namespace

ImagePlacement::ImagePlacement(const QRect &inner, QPoint origin, qreal ratio)
    : origin_(origin)
    , ratio_(ratio)
{
    // Where the window system puts the inner area's edges: each one rounded to
    // the nearest device pixel, as it clips the widget's painting.
    const QRect placed = inner.translated(origin);
    const int left = qRound(placed.left() * ratio);
    const int top = qRound(placed.top() * ratio);
    const int right = qRound((placed.right() + 1) * ratio);
    const int bottom = qRound((placed.bottom() + 1) * ratio);
    device_ = {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

QTransform ImagePlacement::ToWidget() const
{
    return {1 / ratio_, 0, 0, 1 / ratio_, device_.left() / ratio_ - origin_.x(), device_.top() / ratio_ - origin_.y()};
}

QPointF ImagePlacement::ToImage(QPointF widget) const
{
    return (widget + origin_) * ratio_ - QPointF(device_.topLeft());
}

QRect ImagePlacement::ImagePixelsUnder(const QRect &widget) const
{
    const QRect logical = widget.translated(origin_);
    const QRect device(QPoint(Floor(logical.left() * ratio_), Floor(logical.top() * ratio_)),
                       QPoint(Ceil((logical.right() + 1) * ratio_) - 1, Ceil((logical.bottom() + 1) * ratio_) - 1));
    return device.translated(-device_.topLeft());
}

QRect ImagePlacement::WidgetPixelsOver(const QRect &image) const
{
    const QRect device = image.translated(device_.topLeft());
    const QRect logical(QPoint(Floor(device.left() / ratio_), Floor(device.top() / ratio_)),
                        QPoint(Ceil((device.right() + 1) / ratio_) - 1, Ceil((device.bottom() + 1) / ratio_) - 1));
    return logical.translated(-origin_);
}

} // namespace levyc
