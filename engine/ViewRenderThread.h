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
#include <cstdint>
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

// Renders views off the GUI thread, one at a time, in the order asked. A
// request made while one is under way waits for it, and replaces any other
// waiting. Every request taken ends with Rendered(), with a null image when it
// was cancelled or gave none, so that the receiver knows the thread is free.
class ViewRenderThread final : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewRenderThread)

public:
    explicit ViewRenderThread(ViewRenderFunction render = {}, QObject *parent = nullptr);
    ~ViewRenderThread() override;

    // The request's number: greater than any given before.
    quint64 Render(SharedCurves curves, const WorldWindow &window, QSize size);
    // Cancels request `number`, under way or waiting; it still ends with Rendered().
    void Cancel(quint64 number);
    // Cancels the render under way and forgets any waiting one.
    void Drop();
    // How far request `number` has come, from 0 to 1: 0 unless it is under way.
    [[nodiscard]] double Progress(quint64 number) const;

signals:
    // A request ended, delivered to the thread that owns this object.
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
    quint64 cancelled_ = 0; // the newest request cancelled
    bool quit_ = false;
    std::atomic<bool> stale_{false};
    // The request under way, 0 for none, and its afterCurve calls made and due.
    std::atomic<quint64> current_{0};
    std::atomic<std::int64_t> done_{0};
    std::atomic<std::int64_t> due_{1};
};

} // namespace levyc
