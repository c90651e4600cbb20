#include "RenderPicture.h"

#include "drawing/Canvas.h"
#include "drawing/DrawCommands.h"
#include "drawing/Passes.h"
#include "drawing/Plotter.h"
#include "views/ViewRender.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>

#include <memory>

namespace levyc {

namespace {

// One world unit per pixel across the whole world window.
constexpr QSize IconSource(static_cast<int>(PictureWorld.Width()), static_cast<int>(-PictureWorld.Height()));
// Black left around the curves on each side, in those pixels.
constexpr int IconMargin = 12;

// The smallest box holding every pixel that is not black.
QRect CurvesIn(const QImage &image)
{
    QRect box;
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != black) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

} // namespace

RenderedPicture RenderPicture(QSize size, const CurveProgress &progress)
{
    RenderedPicture result;
    // On the heap: the image itself is, and a Canvas is not movable.
    const auto canvas = std::make_unique<Canvas>(size);
    if (canvas->Image().isNull()) {
        return result;
    }
    Plotter<Canvas> plotter(*canvas);
    DrawCommands<Canvas> commands(*canvas, plotter);
    // A timer due at once fires whenever the Draw handles events.
    QTimer progressTimer;
    if (progress) {
        progressTimer.setInterval(0);
        QObject::connect(&progressTimer, &QTimer::timeout,
                         [&commands, &progress] { progress(static_cast<int>(commands.Drawn().size())); });
        progressTimer.start();
    }
    QElapsedTimer timer;
    timer.start();
    commands.Command1_Click();
    result.milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    result.lines = canvas->LinesDrawn();
    // Shared, not copied: the canvas goes now and draws nothing more.
    result.image = canvas->Image();
    return result;
}

RenderedPicture RenderPicture(QSize size, const WorldWindow &window, const CurveProgress &progress)
{
    if (IsDrawWindow(window)) {
        return RenderPicture(size, progress);
    }
    QElapsedTimer timer;
    timer.start();
    const RenderedView view = RenderView(PictureCurves(), window, size);
    return {view.image, view.lines, static_cast<double>(timer.nsecsElapsed()) / 1e6};
}

RenderedPicture RenderIcon(int side)
{
    QElapsedTimer timer;
    timer.start();
    const RenderedPicture drawn = RenderPicture(IconSource);
    const QImage &picture = drawn.image;
    if (picture.isNull()) {
        return {};
    }
    const QRect curves = CurvesIn(picture);
    const int square = std::max(curves.width(), curves.height()) + 2 * IconMargin;
    QImage icon(square, square, QImage::Format_RGB32);
    icon.fill(Qt::black);
    {
        QPainter painter(&icon);
        painter.drawImage(QPoint((square - curves.width()) / 2, (square - curves.height()) / 2), picture, curves);
    }
    return {icon.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), drawn.lines,
            static_cast<double>(timer.nsecsElapsed()) / 1e6};
}

} // namespace levyc
