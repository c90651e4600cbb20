#pragma once

#include "CurveRecord.h"
#include "DoEvents.h"
#include "Passes.h"
#include "PictureSize.h"
#include "Plotter.h"

#include <QtGlobal>

#include <cstdint>
#include <vector>

namespace levyc {

// Makes a surface and its plotter's state ready for the Draw's curves: the
// Draw's world window, cleared to black, a thin pen, lines no longer than a
// world unit, the refresh count and the stop flag cleared.
template <DrawingSurface Surface> void SetUpDraw(Surface &picture, DrawingState &state)
{
    SetWorldWindow(picture, PictureWorld);
    picture.SetBackColor(RGB(0, 0, 0));
    picture.Cls();
    picture.SetDrawWidth(1);
    state.LineCount = 0;
    state.StopFlag = FlagClear;
    state.SegmentLimit = 1.0;
}

// The Draw and Stop commands behind the window's buttons. Draw composes the
// whole picture, handling pending events before each curve, so a Stop or even
// another Draw press runs in the middle of it.
template <DrawingSurface Surface> class DrawCommands
{
public:
    // Draw presses beyond this many nested runs are ignored, so a flood of
    // presses cannot exhaust the stack; the drawing ends as it would anyway.
    // When the outermost run ends, one line on stderr says how many were.
    static constexpr int MaxNestedDraws = 32;

    DrawCommands(Surface &picture, Plotter<Surface> &plotter)
        : picture_(picture)
        , plotter_(plotter)
    {
    }

    // Draw.
    void Command1_Click()
    {
        if (abandoned_) {
            return;
        }
        if (depth_ >= MaxNestedDraws) {
            ++ignored_;
            return;
        }
        ++depth_;
        Draw();
        --depth_;
        if (depth_ == 0 && ignored_ > 0) {
            // One line for the whole drawing, however many presses a flood brought.
            qWarning("levyc: %d Draw press%s ignored: %d drawings were already running", ignored_,
                     ignored_ == 1 ? "" : "es", MaxNestedDraws);
            ignored_ = 0;
        }
    }

    // Stop: the running drawing ends before its next curve.
    void Command3_Click() { plotter_.State().StopFlag = FlagSet; }

    // Ends every running Draw at its next pass without drawing more, and ignores
    // later Draw presses; for closing the window.
    void Abandon() { abandoned_ = true; }

    [[nodiscard]] bool Running() const { return depth_ > 0; }

    // The curves on the picture since the last Draw cleared it, in the order
    // they were drawn: a nested Draw's, then the rest of the one it ran inside.
    [[nodiscard]] const std::vector<CurveRecord> &Drawn() const { return drawn_; }

private:
    void Draw()
    {
        DrawingState &state = plotter_.State();
        SetUpDraw(picture_, state);

        drawn_.clear();
        drawn_.reserve(LastPass + 2);

        for (std::int16_t i = 0; i <= LastPass; ++i) {
            DoEvents();
            if (state.StopFlag != FlagClear || abandoned_) {
                return;
            }
            DrawCurve(PassCurve(i));
        }
        // The last curve again, in white, with no chance to stop in between.
        DrawCurve(FinalCurve());
    }

    void DrawCurve(const CurveRecord &curve)
    {
        drawn_.push_back(curve);
        plotter_.DrawCurve(curve);
    }

    Surface &picture_;
    Plotter<Surface> &plotter_;
    int depth_ = 0;
    int ignored_ = 0; // Draw presses refused at the cap during this drawing
    bool abandoned_ = false;
    std::vector<CurveRecord> drawn_;
};

} // namespace levyc
