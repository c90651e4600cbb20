#pragma once

#include "CurveRecord.h"

#include <cstdint>
#include <vector>

namespace levyc {

// The picture's passes: pass i draws a curve 100 + i units long from a start
// point on a half-ellipse, 3 units lower each pass, in the ramp's colour 15 i;
// its curve starts there.
constexpr std::int16_t LastPass = 100;

// Pass i's curve, and the white one drawn over the last pass's curve at the end.
CurveRecord PassCurve(std::int16_t pass);
CurveRecord FinalCurve();

// Every curve of a whole Draw, in the order it draws them.
std::vector<CurveRecord> PictureCurves();

} // namespace levyc
