#pragma once

#include "world/WorldWindow.h"

#include <QSize>

#include <utility>
#include <vector>

namespace levyc {

// The window a view shows once its image is `to` pixels instead of `from`:
// the same centre, and the same world size of a pixel, so a larger image
// shows more around the same point.
WorldWindow CentredResized(const WorldWindow &window, QSize from, QSize to);

// Views carried from one picture size to another and back, as full screen
// does, through any sizes on the way. A view carried away and brought back
// unchanged to the size it started at is the view it was, to the last bit,
// however the arithmetic rounds.
class CentredResize
{
public:
    // The picture goes from `from` to `to` pixels.
    void Switch(QSize from, QSize to);
    // A view at the old size, at the new one.
    [[nodiscard]] WorldWindow Carry(const WorldWindow &view);

private:
    QSize base_; // the size the chain of switches started at
    QSize from_;
    QSize to_;
    // (view at the new size, the view it came from at the base size), for
    // this switch and for the one before.
    std::vector<std::pair<WorldWindow, WorldWindow>> carried_;
    std::vector<std::pair<WorldWindow, WorldWindow>> before_;
};

} // namespace levyc
