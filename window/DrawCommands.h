#pragma once

#include "Plotter.h"

#include <cstdint>

// The Draw and Stop commands behind the window's buttons. Draw composes the
// whole picture, handling pending events before each curve, so a Stop or even
// another Draw press runs in the middle of it.
class DrawCommands
{
public:
    // Draw presses beyond this many nested runs are ignored, so a flood of
    // presses cannot exhaust the stack; the drawing ends as it would anyway.
    // When the outermost run ends, one line on stderr says how many were.
    static constexpr int MaxNestedDraws = 32;
    static constexpr std::int16_t LastPass = 100;

    DrawCommands(DrawingSurface &picture, Plotter &plotter);

    // Draw.
    void Command1_Click();
    // Stop: the running drawing ends before its next curve.
    void Command3_Click();

    // Ends every running Draw at its next pass without drawing more, and ignores
    // later Draw presses; for closing the window.
    void Abandon() { abandoned_ = true; }

    [[nodiscard]] bool Running() const { return depth_ > 0; }
    [[nodiscard]] int Depth() const { return depth_; }

    // Start point of pass i's curve: on a half-ellipse, 3 units lower each pass.
    static double PassStartX(std::int16_t pass);
    static double PassStartY(std::int16_t pass);

private:
    void Draw();

    DrawingSurface &picture_;
    Plotter &plotter_;
    int depth_ = 0;
    int ignored_ = 0; // Draw presses refused at the cap during this drawing
    bool abandoned_ = false;
};
