#include "Plotter.h"

#include "Canvas.h"

void Plotter::CurveSegment(double p, double q)
{
    const double limit = state_.SegmentLimit;
    // Without a positive limit the halving would only stop at underflow, after
    // astronomically many lines: draw the vector as it is.
    if (!(limit > 0.0)) {
        LineBy(p, q);
        return;
    }
    // Up to 65536 lines a curve: straight into the image when the surface has
    // one, with no call per line.
    if (Canvas *canvas = surface_.DirectCanvas()) {
        Subdivide(*canvas, p, q, limit * limit);
    } else {
        Subdivide(surface_, p, q, limit * limit);
    }
}

template <typename Target> void Plotter::Subdivide(Target &target, double p, double q, double limitSquared)
{
    if (p * p + q * q <= limitSquared) {
        LineByOn(target, p, q);
        return;
    }
    // Turned 45 degrees clockwise, then counter-clockwise, each shortened by sqrt(2).
    Subdivide(target, (p + q) / 2, (q - p) / 2, limitSquared);
    Subdivide(target, (p - q) / 2, (p + q) / 2, limitSquared);
}
