#include "ViewRenderThread.h"

#include "ViewRender.h"

namespace levyc {

ViewRenderThread::ViewRenderThread(QObject *parent)
    : QThread(parent)
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

void ViewRenderThread::Render(SharedCurves curves, const WorldWindow &window, QSize size)
{
    const QMutexLocker lock(&mutex_);
    pending_ = Request{std::move(curves), window, size};
    stale_ = true;
    if (!isRunning()) {
        start(QThread::NormalPriority);
    } else {
        wake_.wakeOne();
    }
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
        const RenderedView view = RenderView(*request.curves, request.window, request.size, options);
        if (!view.image.isNull() && !stale_) {
            const WorldWindow &window = request.window;
            emit Rendered(view.image, window.Left, window.Top, window.Right, window.Bottom);
        }
    }
}

} // namespace levyc
