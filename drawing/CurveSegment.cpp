#include "Plotter.h"

#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace {

// A canvas whose image holds the whole curve: its lines need no bounds test.
struct InsideCanvas
{
    Canvas &canvas;

    void Line(float x1, float y1, float x2, float y2, PackedColor color) { canvas.Line(x1, y1, x2, y2, color); }
    void ContinueLine(float /*x1*/, float /*y1*/, float x2, float y2, PackedColor /*color*/)
    {
        canvas.ContinueInside(x2, y2);
    }
};

// Whether the canvas holds every line of the curve from (x, y) along (p, q). The
// curve along (L, 0) stays within x -0.5 L to 1.5 L and y -L to 0.25 L of its
// start; turned with the vector, that box has these corners.
bool HoldsCurve(const Canvas &canvas, double x, double y, double p, double q)
{
    double minX = x;
    double maxX = x;
    double minY = y;
    double maxY = y;
    for (const double along : {-0.5, 1.5}) {
        for (const double across : {-1.0, 0.25}) {
            const double cornerX = x + along * p - across * q;
            const double cornerY = y + along * q + across * p;
            minX = std::min(minX, cornerX);
            maxX = std::max(maxX, cornerX);
            minY = std::min(minY, cornerY);
            maxY = std::max(maxY, cornerY);
        }
    }
    return canvas.HoldsThinly(minX, minY, maxX, maxY);
}

} // namespace

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
        if (HoldsCurve(*canvas, state_.PenX, state_.PenY, p, q)) {
            InsideCanvas inside{*canvas};
            CurveWalk<InsideCanvas>{*this, inside, limit * limit}.Subdivide(p, q, false);
        } else {
            CurveWalk<Canvas>{*this, *canvas, limit * limit}.Subdivide(p, q, false);
        }
    } else {
        CurveWalk<DrawingSurface>{*this, surface_, limit * limit}.Subdivide(p, q, false);
    }
}
