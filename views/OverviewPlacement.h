#pragma once

#include "ViewNavigation.h"
#include "world/WorldWindow.h"

#include <QLineF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <optional>
#include <utility>

namespace levyc {

// The overview: the Draw's whole picture, small, in the bottom-right corner
// of a picture `picture` pixels large, with the view marked on it. Positions
// are in the picture's pixels from its top-left corner.
class OverviewPlacement
{
public:
    explicit OverviewPlacement(QSizeF picture);

    // Whether a view shown at `size` pixels is deep enough for the overview
    // to show: by its zoom, the same at any size.
    static bool Shows(const WorldWindow &view, QSize size);

    // Where the overview sits.
    [[nodiscard]] QRectF Frame() const { return frame_; }
    // The view on the overview, unclipped.
    [[nodiscard]] QRectF Mark(const WorldWindow &view) const;
    // Whether the mark is too small to see as a rectangle, and shows as a cross.
    [[nodiscard]] static bool IsCross(const QRectF &mark);
    // The cross's two strokes about the view's centre.
    [[nodiscard]] static std::pair<QLineF, QLineF> Cross(const QRectF &mark);
    // The world point under a position on the overview; nothing outside it.
    [[nodiscard]] std::optional<WorldPoint> WorldAt(QPointF position) const;
    // The view moved, at its scale, to centre on a point.
    [[nodiscard]] static WorldWindow CentredOn(const WorldWindow &view, WorldPoint centre);

private:
    QRectF frame_;
};

} // namespace levyc
