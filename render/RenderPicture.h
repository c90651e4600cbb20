#pragma once

#include "DrawingSurface.h"

#include <QImage>
#include <QSize>

#include <cstdint>

namespace levyc {

struct RenderedPicture
{
    QImage image; // null when an image of that size could not be allocated
    std::int64_t lines = 0;
    double milliseconds = 0;
};

// Runs the Draw command on an image of the given size, without a screen.
RenderedPicture RenderPicture(QSize size);

// The Draw's curves at a world window, as the window shows them zoomed there.
RenderedPicture RenderPicture(QSize size, const WorldWindow &window);

// The application icon, `side` pixels square: the picture at one world unit
// per pixel, trimmed to its curves and centred on a black square.
QImage RenderIcon(int side);

} // namespace levyc
