#pragma once

#include "PictureActions.h"
#include "PictureFilm.h"
#include "PictureInput.h"
#include "drawing/Canvas.h"
#include "drawing/CurveRecord.h"
#include "engine/FramePacer.h"
#include "engine/ViewExplorer.h"
#include "picture/LimitWord.h"
#include "views/OverviewImage.h"

#include <QFrame>

#include <atomic>
#include <functional>
#include <utility>

namespace levyc {

// The picture area: a persistent image, drawn into, that the screen catches up
// with at Refresh and when events are handled, at most once a display frame.
// Between drawings its curves are explored: each view renders off this thread.
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
        pacer_.Schedule();
    }
    void Refresh() { ShowChanges(); }
    // Straight into the image; on screen at the next Refresh or event handling.
    template <typename Walk> void Curve(const WorldBox &reach, Walk &&walk)
    {
        pacer_.Schedule();
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
    [[nodiscard]] const SharedCurves &Curves() const { return explorer_.Curves(); }
    [[nodiscard]] QSize ImageSize() const { return canvas_.Image().size(); } // one pixel a device pixel
    // The picture of View(), rendered now if it is not on screen yet.
    [[nodiscard]] QImage Picture() const { return PictureRenderer()(nullptr); }
    [[nodiscard]] bool PictureReady() const { return explorer_.Shown() == explorer_.View(); }
    // What makes Picture(), holding copies of what it needs, for another thread.
    [[nodiscard]] std::function<QImage(const std::atomic<bool> *cancel)> PictureRenderer() const
    {
        return explorer_.PictureRenderer(canvas_.Image());
    }

    // Where You Are and Overview, painted over the picture; I and O toggle them.
    [[nodiscard]] bool OverlayShown() const { return actions_->Checked(PictureCommand::Overlay); }
    [[nodiscard]] bool OverviewShown() const { return actions_->Checked(PictureCommand::Overview); }
    // Full screen, as the window has it: views keep their centre and scale as the size changes.
    void SetFullScreen(bool on);
    [[nodiscard]] bool FullScreen() const { return fullScreen_; }
    // A key pressed elsewhere in the window; whether it explored.
    bool TakeKey(const QKeyEvent &event);

    [[nodiscard]] PictureFilm &Film() { return *film_; }
    [[nodiscard]] bool Playing() const { return film_->Playing(); }

signals:
    // Copy, Save, Save Dive, Play, Go to View, Full Screen or Keys: the window's commands.
    void Chosen(levyc::PictureCommand command, bool checked);

protected:
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void Run(PictureCommand command, bool checked);
    bool Input(QEvent *event);
    void Painted(const QRect &rect);
    [[nodiscard]] QString OverlayLines() const;
    [[nodiscard]] std::optional<WorldPoint> OverviewPoint(QPointF position) const;
    [[nodiscard]] bool OverviewVisible() const;
    void Describe();
    void ShowChanges();
    [[nodiscard]] ImagePlacement Placement() const;
    void FitImage();
    void UpdateActions();
    void Retranslate();

    Canvas canvas_;
    FramePacer pacer_;
    PictureActions *actions_; // the widget's children
    PictureFilm *film_;
    ViewExplorer explorer_;
    PictureInput input_;
    bool fullScreen_ = false;
    bool explored_ = false; // a Draw has ended once
    OverviewImage overview_;
    LimitWord limitWord_;
};

} // namespace levyc
