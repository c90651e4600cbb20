#pragma once

#include "DrawingSurface.h"

namespace levyc {

// The world box that a Levy C curve from (x, y) along (p, q) keeps within.
WorldBox CurveReach(double x, double y, double p, double q);

} // namespace levyc
