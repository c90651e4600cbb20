#pragma once

#include "CurveReach.h"
#include "CurveRecord.h"
#include "DrawingState.h"
#include "DrawingSurface.h"

#include <cmath>
#include <cstdint>

namespace levyc {

// A pen that moves in world coordinates on a drawing surface, batching screen
// refreshes.
template <DrawingSurface Surface> class Plotter
{
public:
    // The screen is refreshed once every MaxLineCount + 1 lines.
    static constexpr std::int16_t MaxLineCount = 1000;

    explicit Plotter(Surface &surface)
        : surface_(surface)
    {
    }

    [[nodiscard]] DrawingState &State() { return state_; }
    [[nodiscard]] const DrawingState &State() const { return state_; }

    void SetPen(double x, double y)
    {
        state_.PenX = x;
        state_.PenY = y;
    }

    // One line from the pen by (dx, dy); the pen stays in double precision so
    // that rounding does not build up along a path.
    void LineBy(double dx, double dy)
    {
        LineByWith(
            [this](float x1, float y1, float x2, float y2, PackedColor color) { surface_.Line(x1, y1, x2, y2, color); },
            dx, dy);
    }

    // A Levy C curve from the pen to the pen plus (p, q), in lines no longer
    // than SegmentLimit, each through the same steps as LineBy.
    void CurveSegment(double p, double q)
    {
        const double limit = state_.SegmentLimit;
        // Without a positive limit, or with an endless vector, the halving would
        // never end: draw the vector as it is.
        if (!(limit > 0.0) || !std::isfinite(p) || !std::isfinite(q)) {
            LineBy(p, q);
            return;
        }
        surface_.Curve(CurveReach(state_.PenX, state_.PenY, p, q), [this, p, q, limit](auto &&first, auto &&next) {
            Walk<decltype(first), decltype(next)>{*this, first, next, limit * limit}.Subdivide(p, q, false);
        });
    }

    // A recorded curve: from its start, in its colour.
    void DrawCurve(const CurveRecord &curve)
    {
        SetPen(curve.X, curve.Y);
        state_.PenColor = curve.Color;
        CurveSegment(curve.P, curve.Q);
    }

private:
    template <typename Line> void LineByWith(Line &&line, double dx, double dy)
    {
        const double endX = state_.PenX + dx;
        const double endY = state_.PenY + dy;
        line(static_cast<float>(state_.PenX), static_cast<float>(state_.PenY), static_cast<float>(endX),
             static_cast<float>(endY), state_.PenColor);
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

    // One curve's recursion; what stays fixed through it lives here, so that
    // each level passes only the vector.
    template <typename First, typename Next> struct Walk
    {
        Plotter &plotter;
        First &first;
        Next &next;
        double limitSquared;

        // `continuing`: a line has been drawn since the curve began.
        void Subdivide(double p, double q, bool continuing)
        {
            if (p * p + q * q <= limitSquared) {
                if (continuing) {
                    plotter.LineByWith(next, p, q);
                } else {
                    plotter.LineByWith(first, p, q);
                }
                return;
            }
            // Every line of the second half follows one of the first.
            const PartHalves halves = Halve(p, q);
            Subdivide(halves.P1, halves.Q1, continuing);
            Subdivide(halves.P2, halves.Q2, true);
        }
    };

    Surface &surface_;
    DrawingState state_;
};

} // namespace levyc
