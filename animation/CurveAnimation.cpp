#include "CurveAnimation.h"

#include "drawing/Canvas.h"
#include "drawing/DrawCommands.h"
#include "output/OutOfMemory.h"
#include "views/ViewRender.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace levyc {

namespace {

// A view, a curve at a time as the window draws views. Only what changes the
// picture is a frame, each for its own time: a view deep in the picture
// starts at the first curve that shows there rather than after seconds of
// black, and a curve that changes nothing holds no frame longer.
bool AnimateView(QSize size, const WorldWindow &world, const std::vector<CurveRecord> &curves, AnimationTiming timing,
                 QByteArray *webp, QString *error, const FrameProgress &progress)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        *error = OutOfMemory::Text();
        return false;
    }
    image.fill(qRgb(0, 0, 0));
    WebPAnimation animation;
    if (!animation.Start(size, error)) {
        return false;
    }
    // The last new picture, added once the next shows it is not the last.
    QImage pending;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        DrawViewCurves(image, std::span(curves).subspan(i, 1), world);
        const bool changed = pending.isNull() ? ShowsAnything(image) : image != pending;
        if (changed) {
            if (!pending.isNull() && !animation.Add(pending, timing.frameMs, error)) {
                return false;
            }
            pending = image.copy();
        }
        if (progress && !progress(static_cast<int>(i) + 1)) {
            *error = QStringLiteral("cancelled");
            return false;
        }
    }
    return animation.Add(pending.isNull() ? image : pending, timing.holdMs, error) && animation.Finish(webp, error);
}

} // namespace

bool AnimateCurves(QSize size, const WorldWindow &world, const std::vector<CurveRecord> &curves, AnimationTiming timing,
                   QByteArray *webp, QString *error, const FrameProgress &progress)
{
    if (!IsDrawWindow(world)) {
        return AnimateView(size, world, curves, timing, webp, error, progress);
    }
    // On the heap: the image itself is, and a Canvas is not movable.
    const auto canvas = std::make_unique<Canvas>(size);
    if (canvas->Image().isNull()) {
        *error = OutOfMemory::Text();
        return false;
    }
    Plotter<Canvas> plotter(*canvas);
    SetUpDraw(*canvas, plotter.State());
    const auto frame = [&](int index) -> const QImage & {
        if (index > 0) {
            const CurveRecord &curve = curves[static_cast<std::size_t>(index - 1)];
            plotter.DrawCurve(curve);
        }
        return canvas->Image();
    };
    return EncodeAnimation(size, static_cast<int>(curves.size()) + 1, frame, timing, webp, error, progress);
}

} // namespace levyc
