#include "Plotter.h"

void Plotter::CurveSegment(double p, double q)
{
    const double limit = state_.SegmentLimit;
    // Without a positive limit the halving would only stop at underflow, after
    // astronomically many lines: draw the vector as it is.
    if (!(limit > 0.0)) {
        LineBy(p, q);
        return;
    }
    Subdivide(p, q, limit * limit);
}

void Plotter::Subdivide(double p, double q, double limitSquared)
{
    if (p * p + q * q <= limitSquared) {
        LineBy(p, q);
        return;
    }
    // Turned 45 degrees clockwise, then counter-clockwise, each shortened by sqrt(2).
    Subdivide((p + q) / 2, (q - p) / 2, limitSquared);
    Subdivide((p - q) / 2, (p + q) / 2, limitSquared);
}
