#pragma once

#include <algorithm>
#include <cmath>

namespace levyc {

// The narrowest side of a view, in world units, that double precision still
// places to a small part of a pixel at any size up to the largest image.
constexpr double MinViewSpan = 1e-10;
// The widest: beyond it the whole picture is a dot.
constexpr double MaxViewSpan = 1e7;

// A world window by the world points at an area's corners: (Left, Top) at the
// top-left, (Right, Bottom) at the bottom-right.
struct WorldWindow
{
    double Left;
    double Top;
    double Right;
    double Bottom;

    // Signed: negative where the axis runs the other way (y upward).
    [[nodiscard]] constexpr double Width() const { return Right - Left; }
    [[nodiscard]] constexpr double Height() const { return Bottom - Top; }
    // The window's centre.
    [[nodiscard]] constexpr double CentreX() const { return (Left + Right) / 2; }
    [[nodiscard]] constexpr double CentreY() const { return (Top + Bottom) / 2; }

    friend bool operator==(const WorldWindow &, const WorldWindow &) = default;
};

// Whether a world window can be drawn: finite, each side between MinViewSpan
// and MaxViewSpan long, to within the rounding of its corners.
inline bool IsDrawableWindow(const WorldWindow &window)
{
    const auto drawable = [](double from, double to) {
        const double span = std::abs(to - from);
        // Typed as decimals, both ends round to doubles: a side typed as
        // MinViewSpan may come out a few units in the last place short of it.
        const double larger = std::max(std::abs(from), std::abs(to));
        const double slack = std::min(4 * (std::nextafter(larger, HUGE_VAL) - larger), MinViewSpan / 2);
        return std::isfinite(from) && std::isfinite(to) && span >= MinViewSpan - slack && span <= MaxViewSpan;
    };
    return drawable(window.Left, window.Right) && drawable(window.Top, window.Bottom);
}

// A box in world coordinates, by its least and greatest x and y.
struct WorldBox
{
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
};

} // namespace levyc
