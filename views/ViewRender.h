#pragma once

#include "drawing/CurveRecord.h"
#include "world/PictureWorld.h"
#include "world/WorldWindow.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

namespace levyc {

// Cancelling. A render given `cancel` looks at it before every curve, and in
// a view also at each part within a curve's first levels of division, so that
// it ends within a fraction of a millisecond's work of the flag being set. A
// cancelled call leaves nothing behind: RenderView gives a null image and
// DrawViewCurves returns false with the image as it was. A flag set after the
// work is done but before the call returns still cancels it, so a caller that
// has moved on never gets a stale picture.

struct ViewRenderOptions
{
    // Threads to draw with, and bands to split the image into; 0 for one
    // thread per core and a few bands per thread.
    int threads = 0;
    int bands = 0;
    const std::atomic<bool> *cancel = nullptr;
    // From 0, the exact view, to 1: how far each curve's lines lean toward
    // their next division, by where the view's scale lies between the two
    // levels, so that the density grows with a zoom instead of in a step each
    // time every line is divided once more. A whole view's only.
    double smoothing = 0;
    // Called after each curve is drawn, in a view after each band's, on the
    // thread that drew it: to follow the work.
    std::function<void()> afterCurve = {}; // initialised, so that brace lists may leave it out
};

struct RenderedView
{
    QImage image; // null when cancelled or when the memory cannot be had
    std::int64_t lines = 0;
};

// How many times a pixel's width and height in world units may differ. Lines
// are cut to the shorter side, so the work per pixel grows with the ratio;
// the window's own views stay near the Draw's, about 1.56.
constexpr double MaxPixelAspect = 16;

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
// Whether a picture shows any line: a pixel that is not black.
bool ShowsAnything(const QImage &image);

// How many times a whole RenderView of the curves calls options.afterCurve:
// how far one has come, counted in curves.
std::int64_t AfterCurveCalls(std::span<const CurveRecord> curves, const WorldWindow &window, QSize size,
                             const ViewRenderOptions &options = {});

// Draws the curves over an RGB32 image that shows the window, in order, each
// over what is there: the view as it grows, a curve at a time. The pixels are
// those RenderView gives once every curve is drawn. False, drawing nothing,
// for the Draw's own window (which a Canvas draws), a window that cannot be
// drawn or whose pixels are too unequal, or when cancelled; with a cancel
// flag the curves are drawn on a copy of the image, which then takes its place.
bool DrawViewCurves(QImage &image, std::span<const CurveRecord> curves, const WorldWindow &window,
                    const ViewRenderOptions &options = {});

} // namespace levyc
