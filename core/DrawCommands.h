#pragma once

#include "DoEvents.h"
#include "Passes.h"
#include "PictureGeometry.h"
#include "Plotter.h"
#include "RampColor.h"

#include <QtGlobal>

#include <cstdint>

namespace levyc {

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

private:
    static constexpr double FirstLength = 100;
    static constexpr double LevelPerPass = 15;
    static constexpr double FinalCurveY = -200;
    static constexpr double FinalCurveLength = 200;

    void Draw()
    {
        SetWorldWindow(picture_, PictureWorld);
        picture_.SetBackColor(RGB(0, 0, 0));
        picture_.Cls();
        picture_.SetDrawWidth(1);
        DrawingState &state = plotter_.State();
        state.LineCount = 0;
        state.StopFlag = FlagClear;
        state.SegmentLimit = 1.0;

        // This run's own; a nested run started from DoEvents keeps its own pair.
        double x = 0;
        for (std::int16_t i = 0; i <= LastPass; ++i) {
            DoEvents();
            if (state.StopFlag != FlagClear || abandoned_) {
                return;
            }
            x = PassStartX(i);
            plotter_.SetPen(x, PassStartY(i));
            state.PenColor = RampColor(LevelPerPass * i);
            plotter_.CurveSegment(FirstLength + i, 0);
        }
        // The last curve again, in white, with no chance to stop in between.
        plotter_.SetPen(x, FinalCurveY);
        state.PenColor = RGB(255, 255, 255);
        plotter_.CurveSegment(FinalCurveLength, 0);
    }

    Surface &picture_;
    Plotter<Surface> &plotter_;
    int depth_ = 0;
    int ignored_ = 0; // Draw presses refused at the cap during this drawing
    bool abandoned_ = false;
};

} // namespace levyc
