#pragma once

#include "PictureActions.h"
#include "PictureInput.h"
#include "drawing/Canvas.h"
#include "drawing/CurveRecord.h"
#include "engine/FramePacer.h"
#include "engine/ViewExplorer.h"
#include "views/OverviewImage.h"

#include <QFrame>
#include <QTimer>

#include <atomic>
#include <functional>
#include <utility>

namespace levyc {

// The picture area: a sunken frame showing a persistent image that survives
// covering and minimising. Drawing goes into the image; the screen catches up
// at Refresh and whenever pending events are handled, at most once per display
// frame. Between drawings the curves can be explored: the explorer renders each
// view off this thread, and its preview shows until the view is ready.
class PictureBox final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureBox)

public:
    explicit PictureBox(QWidget *parent = nullptr);

    void SetScaleLeft(float value) { canvas_.SetScaleLeft(value); }
    void SetScaleTop(float value) { canvas_.SetScaleTop(value); }
    void SetScaleWidth(float value) { canvas_.SetScaleWidth(value); }
    void SetScaleHeight(float value) { canvas_.SetScaleHeight(value); }
    void SetDrawWidth(int width) { canvas_.SetDrawWidth(width); }
    void SetBackColor(PackedColor color);
    void Cls();
    void Line(float x1, float y1, float x2, float y2, PackedColor color)
    {
        canvas_.Line(x1, y1, x2, y2, color);
        ScheduleShow();
    }
    void Refresh() { ShowChanges(); }
    // Straight into the image; the screen learns of the lines at the next
    // Refresh or when events are next handled.
    template <typename Walk> void Curve(const WorldBox &reach, Walk &&walk)
    {
        ScheduleShow();
        canvas_.Curve(reach, std::forward<Walk>(walk));
    }

    // Exploring the last Draw's curves, from its view; and its end, back at that view.
    void Explore(const std::vector<CurveRecord> &curves);
    void StopExploring();
    [[nodiscard]] bool Exploring() const { return explorer_.Exploring(); }
    [[nodiscard]] const WorldWindow &View() const { return explorer_.View(); }
    // A view, or the Draw's, put on the back and forward list.
    void SetView(const WorldWindow &window);
    void ResetView();
    // The views visited on the way from the Draw's view to View(), in order, each once.
    [[nodiscard]] std::vector<WorldWindow> Visited() const { return explorer_.Visited(); }
    [[nodiscard]] bool AtDrawsView() const;
    [[nodiscard]] const SharedCurves &Curves() const { return explorer_.Curves(); }

    // The picture's size, one pixel per device pixel.
    [[nodiscard]] QSize ImageSize() const { return canvas_.Image().size(); }
    // The picture of View(), rendered now if it is not on screen yet.
    [[nodiscard]] QImage Picture() const { return PictureRenderer()(nullptr); }
    [[nodiscard]] bool PictureReady() const { return explorer_.Shown() == explorer_.View(); }
    // What makes Picture(), holding copies of what it needs, for another thread.
    [[nodiscard]] std::function<QImage(const std::atomic<bool> *cancel)> PictureRenderer() const;
    // An image on the clipboard, as an image and as PNG.
    static void CopyToClipboard(const QImage &image);

    // Where You Are and Overview, painted over the picture; I and O toggle them.
    [[nodiscard]] bool OverlayShown() const { return actions_->Checked(PictureCommand::Overlay); }
    [[nodiscard]] bool OverviewShown() const { return actions_->Checked(PictureCommand::Overview); }
    // Full screen, as the window has it: views keep their centre and scale as the size changes.
    void SetFullScreen(bool on);
    [[nodiscard]] bool FullScreen() const { return fullScreen_; }
    // A key pressed elsewhere in the window; whether it explored.
    bool TakeKey(const QKeyEvent &event);

    // A film: from BeginFilm() to EndFilm() its frames alone show, and any
    // key, click, wheel turn, change of view or size, or the picture turning
    // off emits FilmInterrupted().
    void BeginFilm() { filmOn_ = true; }
    void ShowFrame(int frame, const QImage &image);
    void EndFilm();
    [[nodiscard]] bool Playing() const { return filmOn_; }

signals:
    // A command for the window: Copy, Save, Save Dive, Play, Go to View, Full Screen or Keys.
    void Chosen(levyc::PictureCommand command, bool checked);
    void FilmInterrupted();
    // A frame of the film is on screen: 0 is the Draw's view.
    void PlayFrameShown(int frame);
    void PlayStopped();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    // The mouse, the wheel, pinches and keys, as PictureInput takes them.
    bool event(QEvent *event) override;

private:
    void Run(PictureCommand command, bool checked);
    // Whether the input took an event the base would otherwise handle.
    bool Input(QEvent *event);
    void ShowRendered(const QImage &image);
    // After a paint: whether the exact picture is on screen now.
    void Painted(const QRect &rect);
    [[nodiscard]] QString OverlayLines() const;
    [[nodiscard]] std::optional<WorldPoint> OverviewPoint(QPointF position) const;
    [[nodiscard]] bool OverviewVisible() const;
    void Describe();
    void ScheduleShow() { pacer_.Schedule(screen()); }
    void ShowChanges();
    [[nodiscard]] ImagePlacement Placement() const;
    void FitImage();
    void StopPlay();
    void UpdateActions();
    void Retranslate();

    Canvas canvas_;
    FramePacer pacer_;
    PictureActions *actions_; // the widget's child
    ViewExplorer explorer_;
    PictureInput input_;
    bool fullScreen_ = false;
    bool exactOnScreen_ = true; // the exact picture of the view painted since it was asked for
    bool explored_ = false;     // a Draw has ended once
    OverviewImage overview_;
    bool deepest_ = false;   // the limit reached: "deepest" or "widest"
    bool limitWord_ = false; // and its word due on the overlay, for a while
    QTimer limitTimer_;
    bool filmOn_ = false;
    QImage playFrame_; // the film's frame on screen; null when none
};

} // namespace levyc
