#pragma once

#include "PictureActions.h"
#include "WindowLayout.h"
#include "drawing/Canvas.h"
#include "drawing/Color.h"
#include "drawing/CurveRecord.h"
#include "engine/ViewExplorer.h"
#include "views/ImagePlacement.h"
#include "views/ViewNavigation.h"
#include "world/WorldWindow.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QTimer>

#include <atomic>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace levyc {

// The picture area: a sunken frame showing a persistent image that survives
// covering and minimising. Drawing goes into the image; the screen catches up
// at Refresh and whenever pending events are handled, at most once per display
// frame: a request that comes sooner keeps its box marked, and a timer shows it
// when the next frame is due.
// Between drawings the curves can be explored: zoomed with the wheel, a pinch
// or + and -, panned by dragging or with the arrow keys. The explorer renders
// each view off this thread; until it is ready the explorer's preview shows,
// moved and scaled.
class PictureBox final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureBox)

public:
    explicit PictureBox(QWidget *parent = nullptr);
    ~PictureBox() override = default;

    void SetScaleLeft(float value) { canvas_.SetScaleLeft(value); }
    void SetScaleTop(float value) { canvas_.SetScaleTop(value); }
    void SetScaleWidth(float value) { canvas_.SetScaleWidth(value); }
    void SetScaleHeight(float value) { canvas_.SetScaleHeight(value); }
    void SetBackColor(PackedColor color);
    void SetDrawWidth(int width) { canvas_.SetDrawWidth(width); }
    void Cls();
    void Line(float x1, float y1, float x2, float y2, PackedColor color)
    {
        canvas_.Line(x1, y1, x2, y2, color);
        ScheduleShow();
    }
    void Refresh();
    // Straight into the image; the screen learns of the lines at the next
    // Refresh or when events are next handled.
    template <typename Walk> void Curve(const WorldBox &reach, Walk &&walk)
    {
        ScheduleShow();
        canvas_.Curve(reach, std::forward<Walk>(walk));
    }

    // Lets the curves of the last Draw be explored, from the Draw's view.
    void Explore(const std::vector<CurveRecord> &curves);
    // Back to the Draw's view, and no exploring until Explore() is called again.
    void StopExploring();
    [[nodiscard]] bool Exploring() const { return explorer_.Exploring(); }
    // The world window the picture shows, or is about to show.
    [[nodiscard]] const WorldWindow &View() const { return explorer_.View(); }
    // While exploring: shows a view, or goes back to the Draw's, and either
    // goes on the back and forward list.
    void SetView(const WorldWindow &window);
    void ResetView();
    // One step back or forward along the views that settled.
    void Back() { explorer_.Back(); }
    void Forward() { explorer_.Forward(); }
    // The views visited on the way from the Draw's view to View(), in order,
    // each once: what a dive through them passes.
    [[nodiscard]] std::vector<WorldWindow> Visited() const { return explorer_.Visited(); }
    // Whether the Draw's own view is on screen, or about to be.
    [[nodiscard]] bool AtDrawsView() const;

    // The picture's size in pixels, one pixel per device pixel.
    [[nodiscard]] QSize ImageSize() const { return canvas_.Image().size(); }
    // The picture as it stands; while exploring, the exact picture of View(),
    // rendered now if it is not on screen yet.
    [[nodiscard]] QImage Picture() const;
    // Whether Picture() is at hand, with nothing to render.
    [[nodiscard]] bool PictureReady() const { return explorer_.Shown() == explorer_.View(); }
    // What makes Picture(), holding copies of what it needs, for another thread.
    [[nodiscard]] std::function<QImage(const std::atomic<bool> *cancel)> PictureRenderer() const;
    // Puts Picture() on the clipboard, as an image and as PNG.
    void Copy() const { CopyToClipboard(Picture()); }
    static void CopyToClipboard(const QImage &image);
    // The key of the PNG text that holds a picture's view, as levyc-render's --window takes it.
    static constexpr const char *ViewTextKey = "levyc-view";
    // Puts the view's two lines on the clipboard, --window and --centre.
    void CopyView() const;

    // Where the view is, in a corner, and the whole Draw with the view marked
    // on it, in another: painted over the picture, never into it. I and O
    // show or hide them, for the program's run.
    [[nodiscard]] bool OverlayShown() const { return actions_->Checked(PictureCommand::Overlay); }
    [[nodiscard]] bool OverviewShown() const { return actions_->Checked(PictureCommand::Overview); }
    void SetOverlayShown(bool shown) { actions_->Action(PictureCommand::Overlay).setChecked(shown); }
    void SetOverviewShown(bool shown) { actions_->Action(PictureCommand::Overview).setChecked(shown); }

    // Full screen: the picture alone fills the window, and every view keeps
    // its centre and scale as the picture changes size. F11 or the menu asks
    // for it, or for its end (Esc too), with FullScreenRequested().
    void SetFullScreen(bool on);
    [[nodiscard]] bool FullScreen() const { return fullScreen_; }

    // A key pressed elsewhere in the window: acts on the picture when it is
    // an exploring key and a Draw has ended. Whether it was taken.
    bool TakeKey(const QKeyEvent &event);

    // The curves the explorer draws views of.
    [[nodiscard]] const SharedCurves &Curves() const { return explorer_.Curves(); }

    // A film over the picture: from BeginFilm() to EndFilm() the picture
    // shows its frames alone, and any key, click or wheel turn, a change of
    // view or of size, or the picture turning off asks for its end with
    // FilmInterrupted().
    void BeginFilm();
    // Frame `frame` of the film, on screen now rather than at the display's next frame.
    void ShowFrame(int frame, const QImage &image);
    // Back to the view, as it was before the film.
    void EndFilm();
    // Whether a film plays in the picture area.
    [[nodiscard]] bool Playing() const { return filmOn_; }

signals:
    // Copy was chosen, from the context menu or with Ctrl+C.
    void CopyRequested();
    // Save As… was chosen, from the context menu or with Ctrl+S.
    void SaveRequested();
    // Save Dive… was chosen from the context menu.
    void SaveDiveRequested();
    // Go to View… was chosen, from the context menu or with Ctrl+G.
    void GoToViewRequested();
    // Keys… was chosen, from the context menu or with F1.
    void KeysRequested();
    // Full screen was asked for (true) or its end (false).
    void FullScreenRequested(bool on);
    // P or Play Dive was chosen.
    void PlayRequested();
    // The user did something to the picture while a film plays.
    void FilmInterrupted();
    // A frame of the film is on screen: 0 is the Draw's view.
    void PlayFrameShown(int frame);
    // The film has ended, at its end or stopped.
    void PlayStopped();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Zooms by a factor about a point given in widget coordinates, as the
    // wheel and a pinch do: the view settles once they rest.
    void ZoomAbout(QPointF position, double factor);
    // Widget coordinates to the image's pixels.
    [[nodiscard]] QPointF ImagePoint(QPointF position) const;
    void ShowRendered(const QImage &image);
    // After a paint event: whether the exact picture is on screen now.
    void Painted(const QRect &rect);
    // The Draw's picture at the overview's size, when that has changed.
    void ScaleOverview();
    // The overlay's lines: the view's zoom and centre, and a limit reached.
    [[nodiscard]] QString OverlayLines() const;
    [[nodiscard]] bool OverviewVisible() const;
    // The world point under a position on the overview, if it is there.
    [[nodiscard]] std::optional<WorldPoint> OverviewPoint(QPointF position) const;
    // The accessible description, with the view's zoom and centre.
    void Describe();
    // Shows the changed box when events are next handled, or when the next
    // frame is due if that is later.
    void ScheduleShow();
    // Shows the changed box now if a frame is due, else schedules it.
    void ShowChanges();
    // Time until the next frame may be shown; 0 when one is due.
    [[nodiscard]] qint64 FrameWaitNs() const;
    // The area changed since the last call, in widget coordinates; empty when none.
    QRect TakeDirty();
    // Where this widget stands in its window, in logical pixels.
    [[nodiscard]] QPoint WindowOrigin() const { return mapTo(window(), QPoint(0, 0)); }
    // Where the image lies in the widget.
    [[nodiscard]] ImagePlacement Placement() const;
    void FitImage();
    // Asks for a playing film's end.
    void StopPlay();
    // Enables the actions for where the picture stands.
    void UpdateActions();
    // Runs a chosen action.
    void Run(PictureCommand command, bool checked);
    // Tooltip, accessible name and description, menu texts: in the current language.
    void Retranslate();

    Canvas canvas_;
    QElapsedTimer sinceFrame_; // invalid until the first frame
    QTimer frameTimer_;
    PictureActions *actions_; // the widget's child
    bool fullScreen_ = false;

    ViewExplorer explorer_;
    // Whether the exact picture of the view has been painted since it was asked for.
    bool exactOnScreen_ = true;
    bool explored_ = false; // a Draw has ended once
    QImage drawn_;          // the Draw's picture, for the overview
    QImage overviewImage_;  // it scaled to the overview
    // "deepest" or "widest" after a zoom stopped at a limit, for a while.
    bool deepest_ = false;
    bool limitWord_ = false; // "deepest" or "widest" is due on the overlay
    QTimer limitTimer_;
    bool filmOn_ = false;
    QImage playFrame_; // the film's frame on screen; null when none
};

} // namespace levyc
