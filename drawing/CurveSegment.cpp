#include "Plotter.h"

#include "Canvas.h"

#include <cmath>

template <typename Target> struct Plotter::CurveWalk
{
    Plotter &plotter;
    Target &target;
    double limitSquared;

    // `continuing`: a line has been drawn since the curve began.
    void Subdivide(double p, double q, bool continuing)
    {
        if (p * p + q * q <= limitSquared) {
            plotter.LineByOn(target, p, q, continuing);
            return;
        }
        // Turned 45 degrees clockwise, then counter-clockwise, each shortened by
        // sqrt(2). Every line of the second half follows one of the first.
        Subdivide((p + q) / 2, (q - p) / 2, continuing);
        Subdivide((p - q) / 2, (p + q) / 2, true);
    }
};

void Plotter::CurveSegment(double p, double q)
{
    const double limit = state_.SegmentLimit;
    // Without a positive limit, or with an endless vector, the halving would
    // never end: draw the vector as it is.
    if (!(limit > 0.0) || !std::isfinite(p) || !std::isfinite(q)) {
        LineBy(p, q);
        return;
    }
    // Up to 65536 lines a curve: straight into the image when the surface has
    // one, with no call per line.
    if (Canvas *canvas = surface_.DirectCanvas()) {
        CurveWalk<Canvas>{*this, *canvas, limit * limit}.Subdivide(p, q, false);
    } else {
        CurveWalk<DrawingSurface>{*this, surface_, limit * limit}.Subdivide(p, q, false);
    }
}
