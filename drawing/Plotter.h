#pragma once

#include "CurveReach.h"
#include "CurveRecord.h"
#include "DrawingState.h"
#include "DrawingSurface.h"

#include <cmath>
#include <cstdint>
#include <limits>

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
        const double endX = state_.PenX + dx;
        const double endY = state_.PenY + dy;
        surface_.Line(static_cast<float>(state_.PenX), static_cast<float>(state_.PenY), static_cast<float>(endX),
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
        surface_.Curve(CurveReach(state_.PenX, state_.PenY, p, q), CurveLines{*this, p, q, limit, LongestLine(limit)});
    }

    // A recorded curve: from its start, in its colour.
    void DrawCurve(const CurveRecord &curve)
    {
        SetPen(curve.X, curve.Y);
        state_.PenColor = curve.Color;
        CurveSegment(curve.P, curve.Q);
    }

private:
    // One curve's lines, for the surface to draw: none is longer than
    // LongestLine, which a surface may use to draw them faster.
    struct CurveLines
    {
        Plotter &plotter;
        double p;
        double q;
        double limit;
        double LongestLine;

        template <typename First, typename Next> std::int64_t operator()(const First &first, const Next &next) const
        {
            return Walk<First, Next>(plotter, first, next, limit * limit).Run(p, q);
        }
    };

    // The longest line a positive limit lets through, up to the rounding of
    // the squares: the limit, unless its square overflows or underflows, when
    // lines of any length may pass.
    static double LongestLine(double limit)
    {
        const double squared = limit * limit;
        if (squared > std::numeric_limits<double>::max() || squared < std::numeric_limits<double>::min()) {
            return std::numeric_limits<double>::infinity();
        }
        return limit;
    }

    // The lines until LineBy's count next comes to 0 and refreshes, as
    // counting up line by line would find them from any count.
    static std::int32_t LinesUntilRefresh(std::int16_t count)
    {
        if (count < 0) {
            return -count;
        }
        if (count <= MaxLineCount) {
            return MaxLineCount + 1 - count;
        }
        // Past the largest count, adding one wraps to the smallest.
        return count == std::numeric_limits<std::int16_t>::max() ? 1 - std::numeric_limits<std::int16_t>::min() : 1;
    }

    // One curve's recursion, with the pen and the refresh count of LineBy.
    // The count runs down to the next refresh rather than up, one decrement a
    // line; LineCount is brought up to date at each refresh and when the
    // curve ends.
    template <typename First, typename Next> class Walk
    {
    public:
        // The surface's line drawers are copied in (a pointer to the surface,
        // typically), so a line reaches the surface through one load, not two.
        Walk(Plotter &plotter, const First &first, const Next &next, double limitSquared)
            : plotter_(plotter)
            , first_(first)
            , next_(next)
            , limitSquared_(limitSquared)
            , penX_(plotter.state_.PenX)
            , penY_(plotter.state_.PenY)
            , color_(plotter.state_.PenColor)
            , countBase_(plotter.state_.LineCount)
            , period_(LinesUntilRefresh(plotter.state_.LineCount))
            , untilRefresh_(period_)
        {
        }
        Walk(const Walk &) = delete;
        Walk &operator=(const Walk &) = delete;
        Walk(Walk &&) = delete;
        Walk &operator=(Walk &&) = delete;
        ~Walk() = default;

        // Draws the curve along (p, q) from the pen; returns the lines drawn.
        std::int64_t Run(double p, double q)
        {
            if (IsLine(p, q)) {
                Line(first_, p, q);
            } else {
                Begin(p, q);
            }
            Store();
            return banked_ + (period_ - untilRefresh_);
        }

    private:
        [[nodiscard]] bool IsLine(double p, double q) const { return p * p + q * q <= limitSquared_; }

        // The first part of the curve, too long for a line: its first line
        // begins the curve, every later one follows another. A part's halves
        // are tested here, so a line costs no call of its own.
        void Begin(double p, double q)
        {
            const PartHalves halves = Halve(p, q);
            if (IsLine(halves.P1, halves.Q1)) {
                Line(first_, halves.P1, halves.Q1);
            } else {
                Begin(halves.P1, halves.Q1);
            }
            Half(halves.P2, halves.Q2);
        }
        void Follow(double p, double q)
        {
            const PartHalves halves = Halve(p, q);
            Half(halves.P1, halves.Q1);
            Half(halves.P2, halves.Q2);
        }
        void Half(double p, double q)
        {
            if (IsLine(p, q)) {
                Line(next_, p, q);
            } else {
                Follow(p, q);
            }
        }

        // LineBy's steps, with the count running down.
        template <typename Draw> void Line(Draw &draw, double dx, double dy)
        {
            const double endX = penX_ + dx;
            const double endY = penY_ + dy;
            draw(static_cast<float>(penX_), static_cast<float>(penY_), static_cast<float>(endX),
                 static_cast<float>(endY), color_);
            penX_ = endX;
            penY_ = endY;
            if (--untilRefresh_ == 0) [[unlikely]] {
                Refresh();
            }
        }

        void Refresh()
        {
            banked_ += period_;
            period_ = MaxLineCount + 1;
            untilRefresh_ = period_;
            countBase_ = 0;
            Store();
            plotter_.surface_.Refresh();
        }

        // The pen and LineCount as LineBy would have left them.
        void Store()
        {
            plotter_.state_.PenX = penX_;
            plotter_.state_.PenY = penY_;
            plotter_.state_.LineCount = static_cast<std::int16_t>(countBase_ + (period_ - untilRefresh_));
        }

        Plotter &plotter_;
        First first_;
        Next next_;
        double limitSquared_;
        double penX_;
        double penY_;
        PackedColor color_;
        std::int32_t countBase_; // LineCount when the count last began
        std::int32_t period_;    // the lines from then to the next refresh
        std::int32_t untilRefresh_;
        std::int64_t banked_ = 0; // lines before the last refresh
    };

    Surface &surface_;
    DrawingState state_;
};

} // namespace levyc
