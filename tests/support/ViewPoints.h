#pragma once

#include "drawing/CurveRecord.h"
#include "views/ViewNavigation.h"

#include <span>

namespace levyc {

// The point of the curves farthest along a direction (dx, dy), to within
// `tolerance` world units: a point on the picture's outer edge, where a view
// zoomed in as far as it goes still has detail.
WorldPoint FarthestPoint(std::span<const CurveRecord> curves, double dx, double dy, double tolerance);

// The Draw's window zoomed in by `zoom` and centred on a world point.
WorldWindow ZoomedAt(WorldPoint centre, double zoom);

} // namespace levyc
