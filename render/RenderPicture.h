#pragma once

#include "world/WorldWindow.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <functional>

namespace levyc {

struct RenderedPicture
{
    QImage image; // null when an image of that size could not be allocated
    std::int64_t lines = 0;
    double milliseconds = 0;
};

// Called with the number of curves drawn so far.
using CurveProgress = std::function<void(int curvesDrawn)>;

// Runs the Draw command on an image of the given size, without a screen;
// `progress` is called each time the Draw handles events, before each curve.
RenderedPicture RenderPicture(QSize size, const CurveProgress &progress = {});

// The Draw's curves at a world window, as the window shows them zoomed there;
// at the Draw's own window, the Draw.
RenderedPicture RenderPicture(QSize size, const WorldWindow &window, const CurveProgress &progress = {});

// The application icon, `side` pixels square: the picture at one world unit
// per pixel, trimmed to its curves and centred on a black square; its lines
// and time are the picture's and the whole icon's.
RenderedPicture RenderIcon(int side);

} // namespace levyc
