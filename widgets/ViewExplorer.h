#pragma once

#include "ViewRenderThread.h"
#include "drawing/CurveRecord.h"
#include "views/ViewHistory.h"
#include "world/WorldWindow.h"

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QTimer>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace levyc {

// Exploring the curves of a Draw: the view asked for, the view the last exact
// image holds, a drag in progress, the views that settled, and the thread
// that renders each view.
// Positions are in the image's pixels from its top-left corner.
class ViewExplorer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewExplorer)

public:
    explicit ViewExplorer(ViewRenderFunction render = {}, QObject *parent = nullptr);
    ~ViewExplorer() override = default;

    // Lets the curves be explored from the Draw's view, whose picture `drawn`
    // is; its size is the size of every view.
    void Explore(const std::vector<CurveRecord> &curves, const QImage &drawn);
    // Back to the Draw's view; nothing moves until Explore() is called again.
    void Stop();
    [[nodiscard]] bool Exploring() const { return curves_ != nullptr; }

    // The view asked for, and the view the last image given out holds.
    [[nodiscard]] const WorldWindow &View() const { return view_; }
    [[nodiscard]] const WorldWindow &Shown() const { return shown_; }
    [[nodiscard]] QSize Size() const { return size_; }

    void SetView(const WorldWindow &window);
    void ResetView();
    // Zoomed in by a factor (out when below 1) about a point that stays put.
    void ZoomAbout(QPointF pixel, double factor);
    // The picture follows the pointer by `pixels`.
    void Pan(QPointF pixels);
    // A drag: the picture follows the pointer from the press to the release.
    void Press(QPointF pixel) { dragFrom_ = pixel; }
    void DragTo(QPointF pixel);
    void Release();
    [[nodiscard]] bool Dragging() const { return dragFrom_.has_value(); }
    // A box drawn from one corner to the other; at its end the view zooms to
    // show all of it, centred. Cancelling leaves the view as it was.
    void BeginBox(QPointF pixel);
    void BoxTo(QPointF pixel);
    void EndBox();
    void CancelBox();
    // The box being drawn, in the image's pixels.
    [[nodiscard]] const std::optional<QRectF> &Box() const { return box_; }
    // The image is now `size` pixels: what fits stays where it was, at the
    // same scale, unless the Draw's view is on screen.
    void Resize(QSize size);

    // The view has settled: it goes on the back and forward list. Later: once
    // no other view comes for a moment, as between the notches of a wheel.
    void Settle();
    void SettleLater();
    // One step back or forward along the views that settled.
    void Back();
    void Forward();
    [[nodiscard]] bool CanGoBack() const { return history_.CanGoBack(); }
    [[nodiscard]] bool CanGoForward() const { return history_.CanGoForward(); }
    // The views visited on the way from the Draw's view to View(), in order,
    // each once.
    [[nodiscard]] std::vector<WorldWindow> Visited() const;

    // The exact picture of View(), rendered here and now if it has not come yet.
    [[nodiscard]] QImage RenderNow() const;
    // What RenderNow() does, holding copies of what it needs, for another thread.
    [[nodiscard]] std::function<QImage(const std::atomic<bool> *cancel)> Renderer() const;

signals:
    // View() has changed: until Ready(), show the last image moved and scaled.
    void ViewChanged();
    // The exact picture of View(), now Shown().
    void Ready(const QImage &image);
    // CanGoBack() or CanGoForward() may have changed.
    void HistoryChanged();
    // Box() has changed.
    void BoxChanged();
    // A zoom was refused at the narrowest view (deeper) or the widest.
    void LimitReached(bool deeper);

private:
    void Request();
    void Take(quint64 number, const QImage &image);

    SharedCurves curves_; // null while not exploring
    QImage drawn_;        // the Draw's picture, while it fits the size
    QSize size_;
    WorldWindow view_;
    WorldWindow shown_;
    WorldWindow requested_;
    quint64 wanted_ = 0; // the render that will be taken; 0 for none
    std::optional<QPointF> dragFrom_;
    std::optional<QRectF> box_;
    ViewHistory history_;
    QTimer settleTimer_;
    ViewRenderThread renderer_;
};

} // namespace levyc
