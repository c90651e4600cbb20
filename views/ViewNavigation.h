#pragma once

#include "world/PixelToWorld.h"
#include "world/WorldWindow.h"

#include <QPointF>
#include <QSizeF>

namespace levyc {

// How a view moves: a world window shown on an image of `size` pixels, with
// positions in those pixels from the image's top-left corner.

// The world point at a pixel position.
WorldPoint WorldAt(const WorldWindow &window, QSizeF size, QPointF pixel);

// Zoomed in by `factor` (out when below 1) about a pixel position, whose world
// point stays under it; the window as it was when the result would be too
// narrow or too wide to draw.
WorldWindow ZoomedAbout(const WorldWindow &window, QSizeF size, QPointF pixel, double factor);

// Moved so that the picture follows the pointer by `pixels`.
WorldWindow Panned(const WorldWindow &window, QSizeF size, QPointF pixels);

// The image resized from `from` to `to` pixels: the top-left corner and the
// world size of a pixel stay.
WorldWindow Resized(const WorldWindow &window, QSizeF from, QSizeF to);

} // namespace levyc
