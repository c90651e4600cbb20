#pragma once

#include "Runtime.h"

#include <cstdint>

// The pen and the bookkeeping of a drawing; every field starts at zero.
struct DrawingState
{
    double PenX = 0.0;
    double PenY = 0.0;
    PackedColor PenColor = 0;
    // Lines since the last refresh, 0 to 1000.
    std::int16_t LineCount = 0;
    // 0 false, -1 true.
    std::int16_t StopFlag = 0;
    // Longest vector the curve draws as a single line.
    double SegmentLimit = 0.0;
};

constexpr std::int16_t True = -1;
constexpr std::int16_t False = 0;
