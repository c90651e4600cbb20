#include "ViewRenderThread.h"

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
    stale_ = true;
    if (!isRunning()) {
        start(QThread::NormalPriority);
    } else {
        wake_.wakeOne();
    }
    return last_;
}

void ViewRenderThread::Drop()
{
    const QMutexLocker lock(&mutex_);
    pending_.reset();
    stale_ = true;
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
            stale_ = false;
        }
        ViewRenderOptions options;
        options.cancel = &stale_;
        const RenderedView view = render_(*request.curves, request.window, request.size, options);
        // A request may come between the end of the render and here: the
        // number tells the receiver, which alone knows what it asked for last.
        if (!view.image.isNull()) {
            emit Rendered(request.number, view.image);
        }
    }
}

} // namespace levyc
