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

DiveFrames::DiveFrames(std::span<const CurveRecord> curves, const DivePath &path, QSize size)
    : curves_(curves)
    , path_(path)
    , size_(size)
{
}

QImage DiveFrames::Frame(int i, const std::atomic<bool> *cancel)
{
    const bool same =
        last_ >= 0 && path_.Frame(i) == path_.Frame(last_) && path_.Smoothing(i) == path_.Smoothing(last_);
    if (!same) {
        image_ = DiveFrame(curves_, path_, i, size_, cancel);
    }
    last_ = image_.isNull() ? -1 : i;
    return image_;
}

} // namespace levyc
