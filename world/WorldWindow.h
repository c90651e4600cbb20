#pragma once

namespace levyc {

// A world window by the world points at an area's corners: (Left, Top) at the
// top-left, (Right, Bottom) at the bottom-right.
struct WorldWindow
{
    double Left;
    double Top;
    double Right;
    double Bottom;

    friend bool operator==(const WorldWindow &, const WorldWindow &) = default;
};

// A box in world coordinates, by its least and greatest x and y.
struct WorldBox
{
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
};

} // namespace levyc
