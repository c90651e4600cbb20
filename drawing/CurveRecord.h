#pragma once

#include "Color.h"

namespace levyc {

// One Levy C curve as a drawing asks for it: from (X, Y) along (P, Q), in a colour.
struct CurveRecord
{
    double X = 0.0;
    double Y = 0.0;
    double P = 0.0;
    double Q = 0.0;
    PackedColor Color = 0;

    friend bool operator==(const CurveRecord &, const CurveRecord &) = default;
};

} // namespace levyc
