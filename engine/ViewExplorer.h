#pragma once

#include "ViewRenderThread.h"
#include "drawing/CurveRecord.h"
#include "views/CentredResize.h"
#include "views/PreviewPlacement.h"
#include "views/PreviewPlan.h"
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
// image holds, the picture shown until the next one comes, a drag in
// progress, the views that settled, and the thread that renders each view.
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
    // The curves explored; null while not exploring.
    [[nodiscard]] const SharedCurves &Curves() const { return curves_; }

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
    // The image is now `size` pixels, and every view, the history's too,
    // keeps its centre and the world size of a pixel. Back at the size before,
    // the views that did not change are as they were.
    void ResizeAboutCentre(QSize size);

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

    // What the screen shows until the exact picture of View() comes: a
    // picture, and where it goes, placed for PlacedFor(), a view that may lag
    // View() where the picture would be enlarged too much to show it.
    [[nodiscard]] const QImage &Preview() const { return preview_; }
    [[nodiscard]] const WorldWindow &PlacedFor() const { return plan_.PlacedFor(); }
    [[nodiscard]] std::optional<PreviewPlacement> PlacePreview() const;

    // What makes the exact picture of View(), `onScreen` when that is
    // Shown(), holding copies of what it needs, for any thread. While
    // exploring, its text says which view it is.
    [[nodiscard]] std::function<QImage(const std::atomic<bool> *cancel)> PictureRenderer(const QImage &onScreen) const;

    // Where a paint of the picture leaves the screen: still the preview, the
    // exact picture of View() on part of it, or on all of it at last.
    enum class OnScreen { Preview, Partly, Exact };
    // A paint of the picture, `whole` when it covered all of it.
    OnScreen Painted(bool whole);

signals:
    // View() has changed: until Ready(), show Preview() as PlacePreview() places it.
    void ViewChanged();
    // The exact picture of View(), now Shown().
    void Ready(const QImage &image);
    // Preview() or PlacedFor() has changed, with View() the same.
    void PreviewChanged();
    // CanGoBack() or CanGoForward() may have changed.
    void HistoryChanged();
    // Box() has changed.
    void BoxChanged();
    // A zoom was refused at the narrowest view (deeper) or the widest.
    void LimitReached(bool deeper);

private:
    void Request();
    // Starts the next render the plan wants, if the thread is free.
    void RenderNext();
    void Take(quint64 number, const QImage &image);
    // Whether the Draw's own picture is at hand for the Draw's view.
    [[nodiscard]] bool DrawnFits() const { return !drawn_.isNull() && drawn_.size() == size_; }

    SharedCurves curves_; // null while not exploring
    QImage drawn_;        // the Draw's picture, used while it fits the size
    QSize size_;
    WorldWindow view_;
    WorldWindow shown_;
    PreviewPlan plan_;
    QImage preview_;       // the plan's picture on screen
    quint64 underWay_ = 0; // the render the plan waits for; 0 for none
    std::optional<QPointF> dragFrom_;
    std::optional<QRectF> box_;
    // Whether the exact picture of View() has been painted whole since it was asked for.
    bool exactOnScreen_ = true;
    ViewHistory history_;
    CentredResize resize_;
    QTimer settleTimer_;
    ViewRenderThread renderer_;
};

} // namespace levyc
