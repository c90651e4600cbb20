#include "DrawCommands.h"

#include "RampColor.h"

#include <QtGlobal>

namespace {

constexpr double WorldLeft = -300;
constexpr double WorldTop = 410;
constexpr double WorldRight = 510;
constexpr double WorldBottom = -500;
constexpr double FirstLength = 100;
constexpr double LevelPerPass = 15;
constexpr double FinalCurveY = -200;
constexpr double FinalCurveLength = 200;

} // namespace

DrawCommands::DrawCommands(DrawingSurface &picture, Plotter &plotter)
    : picture_(picture)
    , plotter_(plotter)
{
}

double DrawCommands::PassStartX(std::int16_t pass)
{
    return 100 - Sqr(50.0 * 50.0 - (pass - 50.0) * (pass - 50.0));
}

double DrawCommands::PassStartY(std::int16_t pass)
{
    return 100 - 3.0 * pass;
}

void DrawCommands::Command1_Click()
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

void DrawCommands::Draw()
{
    Plotter::SetWorldWindow(picture_, WorldLeft, WorldTop, WorldRight, WorldBottom);
    picture_.SetBackColor(RGB(0, 0, 0));
    picture_.Cls();
    picture_.SetDrawWidth(1);
    DrawingState &state = plotter_.State();
    state.LineCount = 0;
    state.StopFlag = False;
    state.SegmentLimit = 1.0;

    // This run's own; a nested run started from DoEvents keeps its own pair.
    double x = 0;
    for (std::int16_t i = 0; i <= LastPass; ++i) {
        DoEvents();
        if (state.StopFlag != False || abandoned_) {
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

void DrawCommands::Command3_Click()
{
    plotter_.State().StopFlag = True;
}
