#include "CurveReach.h"

#include <algorithm>

namespace levyc {

WorldBox CurveReach(double x, double y, double p, double q)
{
    // The curve along (L, 0) stays within x -0.5 L to 1.5 L and y -L to
    // 0.25 L of its start; turned with the vector, that box has these corners.
    WorldBox box{x, y, x, y};
    for (const double along : {-0.5, 1.5}) {
        for (const double across : {-1.0, 0.25}) {
            const double cornerX = x + along * p - across * q;
            const double cornerY = y + along * q + across * p;
            box.MinX = std::min(box.MinX, cornerX);
            box.MaxX = std::max(box.MaxX, cornerX);
            box.MinY = std::min(box.MinY, cornerY);
            box.MaxY = std::max(box.MaxY, cornerY);
        }
    }
    return box;
}

} // namespace levyc
