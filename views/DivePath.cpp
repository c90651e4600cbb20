#include "DivePath.h"

#include "drawing/PictureSize.h"

#include <algorithm>
#include <cmath>

namespace levyc {

namespace {

constexpr double RhoSquared = DivePath::Rho * DivePath::Rho;

// sinh(a) / cosh(b) for a >= 0, without overflow where either is large.
double SinhOverCosh(double a, double b)
{
    const double c = std::abs(b);
    return (std::exp(a - c) - std::exp(-a - c)) / (1 + std::exp(-2 * c));
}

// cosh(a) / cosh(b), likewise.
double CoshOverCosh(double a, double b)
{
    const double x = std::abs(a);
    const double y = std::abs(b);
    return std::exp(x - y) * (1 + std::exp(-2 * x)) / (1 + std::exp(-2 * y));
}

} // namespace

DivePath::DivePath(const WorldWindow &from, const WorldWindow &to, double seconds, int fps, QSize size)
    : DivePath(std::vector<WorldWindow>{from, to}, seconds, fps, size)
{
}

DivePath::DivePath(std::span<const WorldWindow> views, double seconds, int fps, QSize size,
                   std::span<const double> holds)
    : fps_(fps)
    , frames_(std::max(2, static_cast<int>(std::lround(seconds * fps))))
{
    const WorldWindow &first = views.front();
    views_.push_back(first);
    for (std::size_t i = 1; i < views.size(); ++i) {
        views_.push_back(WithShapeOf(views[i], first));
    }
    // World units across a pixel over those down one: what makes the model's
    // plane look as it does on screen.
    const double yScale = size.isEmpty() ? std::abs(first.Width() / first.Height())
                                         : std::abs(first.Width() / first.Height()) * size.height() / size.width();
    double total = 0;
    for (std::size_t i = 1; i < views_.size(); ++i) {
        legs_.push_back(MakeLeg(views_[i - 1], views_[i], yScale));
        total += legs_.back().length;
    }
    const auto heldFrames = [&](std::size_t view) {
        return view < holds.size() && holds[view] > 0 ? static_cast<int>(std::lround(holds[view] * fps)) : 0;
    };
    // The moving frames are shared among the stretches between held views
    // by their length along the path, so that the speed is one throughout.
    const int moving = frames_ - 1;
    stops_.push_back(0);
    departures_.push_back(heldFrames(0));
    double done = 0;
    int movedBefore = 0;
    std::size_t begin = 0; // the stretch's first leg
    for (std::size_t end = 1; end <= legs_.size(); ++end) {
        if (end < legs_.size() && heldFrames(end) == 0) {
            continue;
        }
        double length = 0;
        for (std::size_t leg = begin; leg < end; ++leg) {
            length += legs_[leg].length;
        }
        const double share =
            total > 0 ? (done + length) / total : static_cast<double>(end) / static_cast<double>(legs_.size());
        const int movedAfter = end == legs_.size() ? moving : static_cast<int>(std::lround(share * moving));
        const Stretch stretch{departures_.back(), departures_.back() + movedAfter - movedBefore};
        // Each view passed at the whole frame nearest where the steady speed brings it.
        double within = 0;
        for (std::size_t leg = begin; leg + 1 < end; ++leg) {
            within += legs_[leg].length;
            const int stop = length > 0 ? FrameAt(stretch, within / length) : stretch.first;
            stops_.push_back(std::clamp(stop, departures_.back(), stretch.last));
            departures_.push_back(stops_.back());
        }
        stretches_.insert(stretches_.end(), end - begin, stretch);
        stops_.push_back(stretch.last);
        departures_.push_back(stretch.last + heldFrames(end));
        done += length;
        movedBefore = movedAfter;
        begin = end;
    }
    frames_ = departures_.back() + 1;
}

WorldWindow DivePath::WithShapeOf(const WorldWindow &window, const WorldWindow &shape)
{
    const double centreX = window.CentreX();
    const double centreY = window.CentreY();
    const double shapeWidth = shape.Right - shape.Left;
    const double shapeHeight = shape.Bottom - shape.Top;
    const double scale = std::max(std::abs(window.Right - window.Left) / std::abs(shapeWidth),
                                  std::abs(window.Bottom - window.Top) / std::abs(shapeHeight));
    const double halfWidth = shapeWidth * scale / 2;
    const double halfHeight = shapeHeight * scale / 2;
    return {centreX - halfWidth, centreY - halfHeight, centreX + halfWidth, centreY + halfHeight};
}

WorldWindow DivePath::StartAt(QSize size)
{
    if (size == PictureSize || size.isEmpty()) {
        return PictureWorld;
    }
    const WorldWindow shape{0, 0, PictureWorld.Width() * size.width() / PictureSize.width(),
                            PictureWorld.Height() * size.height() / PictureSize.height()};
    return WithShapeOf(PictureWorld, shape);
}

DivePath::Leg DivePath::MakeLeg(const WorldWindow &from, const WorldWindow &to, double yScale)
{
    Leg leg{from, to, std::abs(from.Width()), std::abs(to.Width())};
    leg.u1 = std::hypot(to.CentreX() - from.CentreX(), (to.CentreY() - from.CentreY()) * yScale);
    const double zoom = std::abs(std::log(leg.w1 / leg.w0)) / Rho;
    if (leg.u1 > 0) {
        const double w0 = leg.w0;
        const double w1 = leg.w1;
        const double u = leg.u1;
        const double b0 = (w1 * w1 - w0 * w0 + RhoSquared * RhoSquared * u * u) / (2 * w0 * RhoSquared * u);
        const double b1 = (w1 * w1 - w0 * w0 - RhoSquared * RhoSquared * u * u) / (2 * w1 * RhoSquared * u);
        // ln(-b + sqrt(b^2 + 1)), without its loss for large b.
        leg.r0 = -std::asinh(b0);
        leg.r1 = -std::asinh(b1);
        leg.length = (leg.r1 - leg.r0) / Rho;
    }
    // A move too small for the numbers above is a plain zoom.
    if (!(leg.u1 > 0) || !std::isfinite(leg.length) || std::abs(leg.r0) > 300 || std::abs(leg.r1) > 300) {
        leg.plainZoom = true;
        leg.length = zoom;
    }
    return leg;
}

WorldWindow DivePath::AlongLeg(const Leg &leg, double s) const
{
    const double sFromEnd = leg.length - s;
    double width = 0;
    // Of the way between the centres: gone from the nearer end, kept apart
    // from 1 so that a deep view's centre keeps its digits.
    double share = 0;
    if (leg.plainZoom) {
        // The model's limit as the centres meet: the width changes at a
        // steady rate, and what little way there is goes as the target comes in.
        const bool in = leg.w1 < leg.w0;
        width =
            s <= sFromEnd ? leg.w0 * std::exp((in ? -Rho : Rho) * s) : leg.w1 * std::exp((in ? Rho : -Rho) * sFromEnd);
        const double whole = -std::expm1(-2 * Rho * leg.length);
        const double part = whole > 0 ? -std::expm1(-2 * Rho * (in ? s : sFromEnd)) / whole : 0.5;
        share = (in == (s <= sFromEnd)) ? part : 1 - part;
    } else if (s <= sFromEnd) {
        width = leg.w0 * CoshOverCosh(leg.r0, Rho * s + leg.r0);
        share = leg.w0 / RhoSquared * SinhOverCosh(Rho * s, Rho * s + leg.r0) / leg.u1;
    } else {
        // From the far end, where the view is small: the same path run back.
        width = leg.w1 * CoshOverCosh(leg.r1, leg.r1 - Rho * sFromEnd);
        share = leg.w1 / RhoSquared * SinhOverCosh(Rho * sFromEnd, leg.r1 - Rho * sFromEnd) / leg.u1;
    }
    const auto along = [&](double first, double last) {
        return s <= sFromEnd ? first + (last - first) * share : last - (last - first) * share;
    };
    const double x = along(leg.from.CentreX(), leg.to.CentreX());
    const double y = along(leg.from.CentreY(), leg.to.CentreY());
    const double halfWidth = std::copysign(width, leg.from.Width()) / 2;
    const double halfHeight = halfWidth * leg.from.Height() / leg.from.Width();
    return {x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight};
}

double DivePath::Progress(const Stretch &stretch, int index) const
{
    // The speed rises evenly for `ease` seconds, holds, and falls evenly for
    // the last `ease`: the time from the first frame to the last is covered at
    // speed `speed` less the ramps' halves.
    const double total = Seconds(stretch);
    const double ease = std::min(EaseSeconds, total / 2);
    const double speed = 1.0 / (total - ease);
    const double time = static_cast<double>(index - stretch.first) / fps_;
    if (time < ease) {
        return speed * time * time / (2 * ease);
    }
    if (time > total - ease) {
        const double left = total - time;
        return 1.0 - speed * left * left / (2 * ease);
    }
    return speed * (time - ease / 2);
}

int DivePath::FrameAt(const Stretch &stretch, double progress) const
{
    const double total = Seconds(stretch);
    if (!(total > 0)) {
        return stretch.first; // a stretch of no frames: the views meet at once
    }
    const double ease = std::min(EaseSeconds, total / 2);
    const double speed = 1.0 / (total - ease);
    const double ramp = speed * ease / 2; // the progress over one ease
    double time = 0;
    if (progress < ramp) {
        time = std::sqrt(2 * ease * progress / speed);
    } else if (progress > 1 - ramp) {
        time = total - std::sqrt(2 * ease * (1 - progress) / speed);
    } else {
        time = progress / speed + ease / 2;
    }
    return stretch.first + static_cast<int>(std::lround(time * fps_));
}

WorldWindow DivePath::Frame(int index) const
{
    index = std::clamp(index, 0, frames_ - 1);
    // The leg holding the frame; a frame at a stop or in a hold shows the view itself.
    std::size_t leg = 0;
    while (leg < legs_.size() && stops_[leg + 1] <= index) {
        ++leg;
    }
    // A leg that goes nowhere shows its view, not one made again from its centre.
    if (leg == legs_.size() || index <= departures_[leg] || legs_[leg].length == 0) {
        return views_[leg];
    }
    const Stretch &stretch = stretches_[leg];
    const double start = Progress(stretch, departures_[leg]);
    const double end = Progress(stretch, stops_[leg + 1]);
    const double s = legs_[leg].length * (Progress(stretch, index) - start) / (end - start);
    return AlongLeg(legs_[leg], s);
}

WorldWindow DivePath::Widest() const
{
    WorldWindow widest = views_.front();
    for (const WorldWindow &view : views_) {
        if (std::abs(view.Width()) > std::abs(widest.Width())) {
            widest = view;
        }
    }
    // The model's width peaks where rho s + r0 is 0, when that lies on the leg.
    for (const Leg &leg : legs_) {
        if (!leg.plainZoom && leg.r0 < 0 && leg.r1 > 0) {
            const WorldWindow top = AlongLeg(leg, -leg.r0 / Rho);
            if (std::abs(top.Width()) > std::abs(widest.Width())) {
                widest = top;
            }
        }
    }
    return widest;
}

bool DivePath::Still() const
{
    return std::all_of(legs_.begin(), legs_.end(), [](const Leg &leg) { return leg.length == 0; });
}

double DivePath::Smoothing(int index) const
{
    if (Still()) {
        return 0; // nothing moves: every frame is the view itself
    }
    for (const Stretch &stretch : stretches_) {
        if (stretch.first < index && index < stretch.last) {
            const double total = Seconds(stretch);
            const double ease = std::min(EaseSeconds, total / 2);
            const double time = static_cast<double>(index - stretch.first) / fps_;
            return std::clamp(std::min(time, total - time) / ease, 0.0, 1.0);
        }
    }
    return 0; // a view, where the film stops or holds
}

} // namespace levyc
