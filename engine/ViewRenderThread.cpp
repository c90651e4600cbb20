#include "ViewRenderThread.h"

#include <algorithm>

namespace levyc {

ViewRenderThread::ViewRenderThread(ViewRenderFunction render, QObject *parent)
    : QThread(parent)
    , render_(render ? std::move(render) : ViewRenderFunction(&RenderView))
{
}

ViewRenderThread::~ViewRenderThread()
{
    {
        const QMutexLocker lock(&mutex_);
        quit_ = true;
        pending_.reset();
        stale_ = true;
        wake_.wakeOne();
    }
    wait();
}

quint64 ViewRenderThread::Render(SharedCurves curves, const WorldWindow &window, QSize size)
{
    const QMutexLocker lock(&mutex_);
    pending_ = Request{++last_, std::move(curves), window, size};
    if (!isRunning()) {
        start(QThread::NormalPriority);
    } else {
        wake_.wakeOne();
    }
    return last_;
}

void ViewRenderThread::Cancel(quint64 number)
{
    const QMutexLocker lock(&mutex_);
    // A request not taken yet is cancelled as it starts.
    cancelled_ = std::max(cancelled_, number);
    if (current_ == number) {
        stale_ = true;
    }
}

void ViewRenderThread::Drop()
{
    const QMutexLocker lock(&mutex_);
    pending_.reset();
    stale_ = true;
}

double ViewRenderThread::Progress(quint64 number) const
{
    if (number == 0 || current_ != number) {
        return 0;
    }
    return std::clamp(static_cast<double>(done_) / static_cast<double>(due_), 0.0, 1.0);
}

void ViewRenderThread::run()
{
    for (;;) {
        Request request;
        {
            QMutexLocker lock(&mutex_);
            while (!pending_ && !quit_) {
                wake_.wait(&mutex_);
            }
            if (quit_) {
                return;
            }
            request = std::move(*pending_);
            pending_.reset();
            stale_ = request.number <= cancelled_;
            ViewRenderOptions counted;
            due_ = std::max<std::int64_t>(1, AfterCurveCalls(*request.curves, request.window, request.size, counted));
            done_ = 0;
            current_ = request.number;
        }
        ViewRenderOptions options;
        options.cancel = &stale_;
        options.afterCurve = [this] { ++done_; };
        const RenderedView view = render_(*request.curves, request.window, request.size, options);
        {
            const QMutexLocker lock(&mutex_);
            current_ = 0;
        }
        emit Rendered(request.number, view.image);
    }
}

} // namespace levyc
