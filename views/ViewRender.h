#pragma once

#include "CurveRecord.h"
#include "DrawingSurface.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <span>

namespace levyc {

// The narrowest side of a view, in world units, that double precision still
// places to a small part of a pixel at any size up to the largest image.
constexpr double MinViewSpan = 1e-10;
// The widest: beyond it the whole picture is a dot.
constexpr double MaxViewSpan = 1e7;
// How many times a pixel's width and height in world units may differ. Lines
// are cut to the shorter side, so the work per pixel grows with the ratio;
// the window's own views stay near the Draw's, about 1.56.
constexpr double MaxPixelAspect = 16;

struct ViewRenderOptions
{
    // Threads to draw with, and bands to split the image into; 0 for one
    // thread per core and a few bands per thread.
    int threads = 0;
    int bands = 0;
    // Once set, the render stops early and its image is null.
    const std::atomic<bool> *cancel = nullptr;
};

struct RenderedView
{
    QImage image; // null when cancelled or when the memory cannot be had
    std::int64_t lines = 0;
};

// Whether a world window is the Draw's own, which the view draws the Draw's way.
bool IsDrawWindow(const WorldWindow &window);

// Whether a world window can be drawn: finite, each side between MinViewSpan
// and MaxViewSpan long, to within the rounding of its corners.
bool IsDrawableWindow(const WorldWindow &window);

// How many times longer a pixel's longer side is than its shorter one, for a
// world window shown at `size` pixels: 1 for square pixels.
double PixelAspect(const WorldWindow &window, QSize size);

// The curves at a world window on a black image. At the Draw's own window the
// picture is the Draw's, pixel for pixel. Anywhere else each curve is divided
// until its lines are no longer than a pixel, or than a world unit if that is
// shorter, mapped in double precision from the window's corner; parts that
// cannot reach the image are skipped. A null image for pixels more than
// MaxPixelAspect times as long as wide.
RenderedView RenderView(std::span<const CurveRecord> curves, const WorldWindow &window, QSize size,
                        const ViewRenderOptions &options = {});

// Draws the curves over an RGB32 image that shows the window, in order, each
// over what is there: the view as it grows, a curve at a time. The pixels are
// those RenderView gives once every curve is drawn. False, drawing nothing,
// for the Draw's own window (which a Canvas draws), a window that cannot be
// drawn or whose pixels are too unequal, or when cancelled.
bool DrawViewCurves(QImage &image, std::span<const CurveRecord> curves, const WorldWindow &window,
                    const ViewRenderOptions &options = {});

} // namespace levyc
