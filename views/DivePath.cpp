#include "DivePath.h"

#include <algorithm>
#include <cmath>

namespace levyc {

DivePath::DivePath(const WorldWindow &from, const WorldWindow &to, double seconds, int fps)
    : from_(from)
    , to_(WithShapeOf(to, from))
    , fps_(fps)
    , frames_(std::max(2, static_cast<int>(std::lround(seconds * fps))))
    , ratio_((to_.Right - to_.Left) / (from_.Right - from_.Left))
{
}

WorldWindow DivePath::WithShapeOf(const WorldWindow &window, const WorldWindow &shape)
{
    const double centreX = (window.Left + window.Right) / 2;
    const double centreY = (window.Top + window.Bottom) / 2;
    const double shapeWidth = shape.Right - shape.Left;
    const double shapeHeight = shape.Bottom - shape.Top;
    const double scale = std::max(std::abs(window.Right - window.Left) / std::abs(shapeWidth),
                                  std::abs(window.Bottom - window.Top) / std::abs(shapeHeight));
    const double halfWidth = shapeWidth * scale / 2;
    const double halfHeight = shapeHeight * scale / 2;
    return {centreX - halfWidth, centreY - halfHeight, centreX + halfWidth, centreY + halfHeight};
}

double DivePath::Progress(int index) const
{
    // The speed rises evenly for `ease` seconds, holds, and falls evenly for
    // the last `ease`: the time from the first frame to the last is covered at
    // speed `speed` less the ramps' halves.
    const double total = static_cast<double>(frames_ - 1) / fps_;
    const double ease = std::min(EaseSeconds, total / 2);
    const double speed = 1.0 / (total - ease);
    const double time = static_cast<double>(index) / fps_;
    if (time < ease) {
        return speed * time * time / (2 * ease);
    }
    if (time > total - ease) {
        const double left = total - time;
        return 1.0 - speed * left * left / (2 * ease);
    }
    return speed * (time - ease / 2);
}

WorldWindow DivePath::Frame(int index) const
{
    if (index <= 0) {
        return from_;
    }
    if (index >= frames_ - 1) {
        return to_;
    }
    const double progress = Progress(index);
    const double logRatio = std::log(ratio_);
    const double scale = std::exp(progress * logRatio);
    // Each side is fixed + (first - fixed) * ratio^progress, with the fixed
    // point (last - ratio * first) / (1 - ratio). Near a ratio of 1 the fixed
    // point runs off and the same sum is taken around the first side, exact
    // down to a plain move; a deep zoom keeps the fixed point, so that neither
    // way in nor way out adds two large numbers to make a small one.
    const auto side = [&](double first, double last) {
        if (std::abs(logRatio) > 1) {
            const double fixed = (last - ratio_ * first) / (1 - ratio_);
            return fixed + (first - fixed) * scale;
        }
        const double toward = logRatio == 0.0 ? progress : std::expm1(progress * logRatio) / std::expm1(logRatio);
        return first * scale + (last - ratio_ * first) * toward;
    };
    return {side(from_.Left, to_.Left), side(from_.Top, to_.Top), side(from_.Right, to_.Right),
            side(from_.Bottom, to_.Bottom)};
}

} // namespace levyc
