#pragma once

#include "world/WorldWindow.h"

#include <cmath>

namespace levyc {

// The world box that a Levy C curve from (x, y) along (p, q) keeps within.
// The curve along (L, 0) stays within x -0.5 L to 1.5 L and y -L to 0.25 L of
// its start: a rectangle along and across the vector, whose bounding box this
// is. Inline: views ask for it at every part they might skip.
inline WorldBox CurveReach(double x, double y, double p, double q)
{
    const double centreX = x + 0.5 * p + 0.375 * q;
    const double centreY = y + 0.5 * q - 0.375 * p;
    const double halfX = std::abs(p) + 0.625 * std::abs(q);
    const double halfY = std::abs(q) + 0.625 * std::abs(p);
    return {centreX - halfX, centreY - halfY, centreX + halfX, centreY + halfY};
}

// A part's two halves: its vector (p, q) turned 45 degrees clockwise, then
// counter-clockwise, each shortened by sqrt(2). The second starts where the
// first ends.
struct PartHalves
{
    double P1;
    double Q1;
    double P2;
    double Q2;
};

constexpr PartHalves Halve(double p, double q)
{
    return {(p + q) / 2, (q - p) / 2, (p - q) / 2, (p + q) / 2};
}

} // namespace levyc
