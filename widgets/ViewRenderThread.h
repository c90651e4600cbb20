#pragma once

#include "CurveRecord.h"
#include "DrawingSurface.h"

#include <QImage>
#include <QMutex>
#include <QSize>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace levyc {

using SharedCurves = std::shared_ptr<const std::vector<CurveRecord>>;

// Renders views off the GUI thread, one at a time. Asking for a view makes the
// one in progress stale: it is given up at once and only the newest is drawn.
class ViewRenderThread final : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewRenderThread)

public:
    explicit ViewRenderThread(QObject *parent = nullptr);
    ~ViewRenderThread() override;

    void Render(SharedCurves curves, const WorldWindow &window, QSize size);
    // Gives up the render in progress and any waiting one.
    void Drop();

signals:
    // A finished view, delivered to the thread that owns this object.
    void Rendered(const QImage &image, double left, double top, double right, double bottom);

protected:
    void run() override;

private:
    struct Request
    {
        SharedCurves curves;
        WorldWindow window;
        QSize size;
    };

    QMutex mutex_;
    QWaitCondition wake_;
    std::optional<Request> pending_;
    bool quit_ = false;
    std::atomic<bool> stale_{false};
};

} // namespace levyc
