#pragma once

#include "Color.h"

#include <cstdint>

namespace levyc {

// The 16-bit flags' values.
constexpr std::int16_t FlagSet = -1;
constexpr std::int16_t FlagClear = 0;

// The pen and the bookkeeping of a drawing; every field starts at zero.
struct DrawingState
{
    double PenX = 0.0;
    double PenY = 0.0;
    PackedColor PenColor = 0;
    // Lines since the last refresh, 0 to 1000.
    std::int16_t LineCount = 0;
    // FlagSet once a stop is asked for.
    std::int16_t StopFlag = FlagClear;
    // Longest vector the curve draws as a single line.
    double SegmentLimit = 0.0;
};

} // namespace levyc
