#pragma once

#include "DrawingState.h"
#include "DrawingSurface.h"

#include <cstdint>

// A pen that moves in world coordinates on a drawing surface, batching screen
// refreshes.
class Plotter
{
public:
    // The screen is refreshed once every MaxLineCount + 1 lines.
    static constexpr std::int16_t MaxLineCount = 1000;

    explicit Plotter(DrawingSurface &surface)
        : surface_(surface)
    {
    }

    [[nodiscard]] DrawingState &State() { return state_; }
    [[nodiscard]] const DrawingState &State() const { return state_; }

    // Makes (x1, y1) the top-left and (x2, y2) the bottom-right corner of the area.
    static void SetWorldWindow(DrawingSurface &area, double x1, double y1, double x2, double y2);

    void SetPen(double x, double y)
    {
        state_.PenX = x;
        state_.PenY = y;
    }

    // One line from the pen by (dx, dy); the pen stays in double precision so
    // that rounding does not build up along a path.
    void LineBy(double dx, double dy) { LineByOn(surface_, dx, dy); }

    // A Levy C curve from the pen to the pen plus (p, q), in lines no longer
    // than SegmentLimit.
    void CurveSegment(double p, double q);

private:
    // LineBy drawing on `target`: the surface itself, or the image behind it,
    // where `continuing` says the line follows the last one drawn there.
    // Refreshes always go to the surface.
    template <typename Target> void LineByOn(Target &target, double dx, double dy, bool continuing = false)
    {
        const double endX = state_.PenX + dx;
        const double endY = state_.PenY + dy;
        const auto x1 = static_cast<float>(state_.PenX);
        const auto y1 = static_cast<float>(state_.PenY);
        const auto x2 = static_cast<float>(endX);
        const auto y2 = static_cast<float>(endY);
        if constexpr (requires { target.ContinueLine(x1, y1, x2, y2, state_.PenColor); }) {
            if (continuing) {
                target.ContinueLine(x1, y1, x2, y2, state_.PenColor);
            } else {
                target.Line(x1, y1, x2, y2, state_.PenColor);
            }
        } else {
            target.Line(x1, y1, x2, y2, state_.PenColor);
        }
        state_.PenX = endX;
        state_.PenY = endY;
        state_.LineCount = static_cast<std::int16_t>(state_.LineCount + 1);
        if (state_.LineCount > MaxLineCount) {
            state_.LineCount = 0;
        }
        if (state_.LineCount == 0) {
            surface_.Refresh();
        }
    }

    // One curve's recursion; what stays fixed through it lives in the walker,
    // so that each level passes only the vector.
    template <typename Target> struct CurveWalk;

    DrawingSurface &surface_;
    DrawingState state_;
};
