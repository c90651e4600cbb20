#pragma once

#include "drawing/CurveRecord.h"
#include "views/ViewRender.h"
#include "world/WorldWindow.h"

#include "JobRunner.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
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
class ViewRenderThread final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewRenderThread)

public:
    explicit ViewRenderThread(ViewRenderFunction render = {}, QObject *parent = nullptr);
    ~ViewRenderThread() override = default;

    // The request's number: greater than any given before.
    quint64 Render(SharedCurves curves, const WorldWindow &window, QSize size);
    // Cancels request `number`, under way or waiting; it still ends with Rendered().
    void Cancel(quint64 number);
    // Cancels the render under way and forgets any waiting one.
    void Drop();
    // How far request `number` has come, from 0 to 1: 0 unless it is under way.
    [[nodiscard]] double Progress(quint64 number) const;

signals:
    // A request ended, on the thread that owns this object.
    void Rendered(quint64 number, const QImage &image);

private:
    ViewRenderFunction render_;
    // The request under way, 0 for none, and its afterCurve calls made and due.
    std::atomic<quint64> current_{0};
    std::atomic<std::int64_t> done_{0};
    std::atomic<std::int64_t> due_{1};
    JobRunner runner_; // last: its thread ends before the rest goes
};

} // namespace levyc
