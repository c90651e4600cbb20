#pragma once

#include "CurveRecord.h"
#include "ViewNavigation.h"

#include <span>

namespace levyc {

// The point of the curves farthest along a direction (dx, dy), to within
// `tolerance` world units: a point on the picture's outer edge, where a view
// zoomed in as far as it goes still has detail.
WorldPoint FarthestPoint(std::span<const CurveRecord> curves, double dx, double dy, double tolerance);

} // namespace levyc
