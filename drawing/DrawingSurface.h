#pragma once

#include "Color.h"
#include "world/WorldWindow.h"

#include <cstdint>

namespace levyc {

// The stand-in for a curve's line drawing in the concept below.
struct AnyCurveWalk
{
    template <typename First, typename Next> std::int64_t operator()(First &&first, Next &&next) const
    {
        first(0.0F, 0.0F, 0.0F, 0.0F, PackedColor{});
        next(0.0F, 0.0F, 0.0F, 0.0F, PackedColor{});
        return 2;
    }
};

// A picture area with a world window and a persistent image: what the plotter
// and the commands draw on.
//   SetScaleLeft/Top/Width/Height  the world window; drawn pixels stay.
//   SetBackColor, Cls              fill image and screen with the colour.
//   SetDrawWidth                   width of later lines, in image pixels.
//   Line                           sets every pixel the line covers to the
//                                  colour: no anti-aliasing, no blending.
//   Refresh                        brings the screen up to date.
//   Curve(reach, walk)             draws one curve's lines: calls
//                                  walk(first, next) once, and walk calls
//                                  first(x1, y1, x2, y2, colour) for the
//                                  curve's first line and next(...) for each
//                                  later one. Every line starts where the last
//                                  one ended, in the same colour, and all lie
//                                  within `reach`; the surface may draw them
//                                  faster for it than with Line. walk returns
//                                  the number of lines it drew.
template <typename Surface>
concept DrawingSurface = requires(Surface &surface, float value, PackedColor color, int width)
{
    surface.SetScaleLeft(value);
    surface.SetScaleTop(value);
    surface.SetScaleWidth(value);
    surface.SetScaleHeight(value);
    surface.SetBackColor(color);
    surface.SetDrawWidth(width);
    surface.Cls();
    surface.Line(value, value, value, value, color);
    surface.Refresh();
    surface.Curve(WorldBox{}, AnyCurveWalk{});
};

// Makes (x1, y1) the top-left and (x2, y2) the bottom-right corner of the area.
template <DrawingSurface Surface> void SetWorldWindow(Surface &area, double x1, double y1, double x2, double y2)
{
    area.SetScaleLeft(static_cast<float>(x1));
    area.SetScaleTop(static_cast<float>(y1));
    area.SetScaleWidth(static_cast<float>(x2 - x1));
    area.SetScaleHeight(static_cast<float>(y2 - y1));
}

template <DrawingSurface Surface> void SetWorldWindow(Surface &area, const WorldWindow &window)
{
    SetWorldWindow(area, window.Left, window.Top, window.Right, window.Bottom);
}

} // namespace levyc
