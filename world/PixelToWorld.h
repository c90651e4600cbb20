#pragma once

#include "WorldWindow.h"

namespace levyc {

struct WorldPoint
{
    double X = 0.0;
    double Y = 0.0;
};

// The way back from WorldMapping, in double precision as views move: positions
// on an image of PixelWidth by PixelHeight pixels showing Window, in those
// pixels from the image's top-left corner, as world points.
struct PixelToWorld
{
    WorldWindow Window{};
    double PixelWidth = 1.0;
    double PixelHeight = 1.0;

    // The world distance across a number of pixels, negative where the axis
    // runs the other way.
    [[nodiscard]] constexpr double SpanX(double pixels) const { return Window.Width() * (pixels / PixelWidth); }
    [[nodiscard]] constexpr double SpanY(double pixels) const { return Window.Height() * (pixels / PixelHeight); }

    // The world point at a pixel position.
    [[nodiscard]] constexpr WorldPoint At(double x, double y) const
    {
        return {Window.Left + SpanX(x), Window.Top + SpanY(y)};
    }
};

} // namespace levyc
