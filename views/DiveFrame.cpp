#include "DiveFrame.h"

#include "ViewRender.h"

namespace levyc {

QImage DiveFrame(std::span<const CurveRecord> curves, const DivePath &path, int i, QSize size,
                 const std::atomic<bool> *cancel)
{
    ViewRenderOptions options;
    options.cancel = cancel;
    options.smoothing = path.Smoothing(i);
    QImage image = RenderView(curves, path.Frame(i), size, options).image;
    // The Draw's own window comes as the Draw draws it, in its own format.
    if (!image.isNull() && image.format() != QImage::Format_RGB32) {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    return image;
}

} // namespace levyc
