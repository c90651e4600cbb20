#include "CurveAnimation.h"

#include "Canvas.h"
#include "DrawCommands.h"
#include "ViewRender.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace levyc {

bool AnimateCurves(QSize size, const WorldWindow &world, const std::vector<CurveRecord> &curves, AnimationTiming timing,
                   QByteArray *webp, QString *error, const FrameProgress &progress)
{
    if (!IsDrawWindow(world)) {
        // Any other view, a curve at a time as the window draws views.
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull()) {
            *error = QString::fromLocal8Bit(std::strerror(ENOMEM));
            return false;
        }
        image.fill(qRgb(0, 0, 0));
        const auto frame = [&](int index) -> const QImage & {
            if (index > 0) {
                DrawViewCurves(image, std::span(curves).subspan(static_cast<std::size_t>(index - 1), 1), world);
            }
            return image;
        };
        return EncodeAnimation(size, static_cast<int>(curves.size()) + 1, frame, timing, webp, error, progress);
    }
    // On the heap: the image itself is, and a Canvas is not movable.
    const auto canvas = std::make_unique<Canvas>(size);
    if (canvas->Image().isNull()) {
        *error = QString::fromLocal8Bit(std::strerror(ENOMEM));
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
