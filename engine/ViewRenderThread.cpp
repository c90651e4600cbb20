#include "ViewRenderThread.h"

#include <algorithm>

namespace levyc {

ViewRenderThread::ViewRenderThread(ViewRenderFunction render, QObject *parent)
    : QObject(parent)
    , render_(render ? std::move(render) : ViewRenderFunction(&RenderView))
{
}

quint64 ViewRenderThread::Render(SharedCurves curves, const WorldWindow &window, QSize size)
{
    return runner_.Run([this, curves = std::move(curves), window, size](const JobRunner::Job &job) {
        ViewRenderOptions counted;
        due_ = std::max<std::int64_t>(1, AfterCurveCalls(*curves, window, size, counted));
        done_ = 0;
        current_ = job.number;
        ViewRenderOptions options;
        options.cancel = &job.cancelled;
        options.afterCurve = [this] { ++done_; };
        const RenderedView view = render_(*curves, window, size, options);
        current_ = 0;
        JobRunner::Post(this, [this, number = job.number, image = view.image] { emit Rendered(number, image); });
    });
}

void ViewRenderThread::Cancel(quint64 number)
{
    runner_.Cancel(number);
}

void ViewRenderThread::Drop()
{
    runner_.Drop();
}

double ViewRenderThread::Progress(quint64 number) const
{
    if (number == 0 || current_ != number) {
        return 0;
    }
    return std::clamp(static_cast<double>(done_) / static_cast<double>(due_), 0.0, 1.0);
}

} // namespace levyc
