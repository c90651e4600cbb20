#pragma once

#include "drawing/CurveRecord.h"
#include "views/ViewRender.h"
#include "world/WorldWindow.h"

#include <QImage>
#include <QMutex>
#include <QSize>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace levyc {

using SharedCurves = std::shared_ptr<const std::vector<CurveRecord>>;

// What draws a view: RenderView, unless another is given.
using ViewRenderFunction =
    std::function<RenderedView(std::span<const CurveRecord>, const WorldWindow &, QSize, const ViewRenderOptions &)>;

// Renders views off the GUI thread, one at a time. Asking for a view makes the
// one in progress stale: it is cancelled, and of those waiting only the newest
// is drawn. Every image that is finished all the same is delivered with the
// number of its request; the receiver keeps only the newest number it asked for.
class ViewRenderThread final : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewRenderThread)

public:
    explicit ViewRenderThread(ViewRenderFunction render = {}, QObject *parent = nullptr);
    ~ViewRenderThread() override;

    // The request's number: greater than any given before.
    quint64 Render(SharedCurves curves, const WorldWindow &window, QSize size);
    // Cancels the render in progress and forgets any waiting one.
    void Drop();

signals:
    // A finished view, delivered to the thread that owns this object.
    void Rendered(quint64 number, const QImage &image);

protected:
    void run() override;

private:
    struct Request
    {
        quint64 number = 0;
        SharedCurves curves;
        WorldWindow window;
        QSize size;
    };

    ViewRenderFunction render_;
    QMutex mutex_;
    QWaitCondition wake_;
    std::optional<Request> pending_;
    quint64 last_ = 0;
    bool quit_ = false;
    std::atomic<bool> stale_{false};
};

} // namespace levyc
