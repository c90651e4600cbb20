#include "ViewPoints.h"

#include "drawing/CurveReach.h"
#include "world/PictureWorld.h"

#include <algorithm>
#include <limits>

namespace levyc {

namespace {

// Branch and bound: a part is followed only while its reach may hold a point
// farther than the best one found, the nearer half first.
class Search
{
public:
    Search(double dx, double dy, double tolerance)
        : dx_(dx)
        , dy_(dy)
        , toleranceSquared_(tolerance * tolerance)
    {
    }

    void Part(double x, double y, double p, double q)
    {
        Consider(x + p, y + q);
        if (p * p + q * q <= toleranceSquared_ || Bound(x, y, p, q) <= best_) {
            return;
        }
        const auto [p1, q1, p2, q2] = Halve(p, q);
        if (Bound(x + p1, y + q1, p2, q2) > Bound(x, y, p1, q1)) {
            Part(x + p1, y + q1, p2, q2);
            Part(x, y, p1, q1);
        } else {
            Part(x, y, p1, q1);
            Part(x + p1, y + q1, p2, q2);
        }
    }

    void Consider(double x, double y)
    {
        if (const double along = x * dx_ + y * dy_; along > best_) {
            best_ = along;
            point_ = {x, y};
        }
    }

    [[nodiscard]] WorldPoint Point() const { return point_; }

private:
    [[nodiscard]] double Bound(double x, double y, double p, double q) const
    {
        const WorldBox box = CurveReach(x, y, p, q);
        return std::max(box.MinX * dx_, box.MaxX * dx_) + std::max(box.MinY * dy_, box.MaxY * dy_);
    }

    double dx_;
    double dy_;
    double toleranceSquared_;
    double best_ = -std::numeric_limits<double>::infinity();
    WorldPoint point_;
};

} // namespace

WorldPoint FarthestPoint(std::span<const CurveRecord> curves, double dx, double dy, double tolerance)
{
    Search search(dx, dy, tolerance);
    for (const CurveRecord &curve : curves) {
        search.Consider(curve.X, curve.Y);
    }
    for (const CurveRecord &curve : curves) {
        search.Part(curve.X, curve.Y, curve.P, curve.Q);
    }
    return search.Point();
}

WorldWindow ZoomedAt(WorldPoint centre, double zoom)
{
    const double halfWidth = PictureWorld.Width() / (2 * zoom);
    const double halfHeight = PictureWorld.Height() / (2 * zoom);
    return {centre.X - halfWidth, centre.Y - halfHeight, centre.X + halfWidth, centre.Y + halfHeight};
}

} // namespace levyc
