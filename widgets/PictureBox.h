#pragma once

#include "Canvas.h"
#include "DrawingSurface.h"
#include "PictureGeometry.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFrame>
#include <QTimer>

#include <utility>

namespace levyc {

// The picture area: a sunken frame showing a persistent image that survives
// covering and minimising. Drawing goes into the image; the screen catches up
// at Refresh and whenever pending events are handled, at most once per display
// frame: a request that comes sooner keeps its box marked, and a timer shows it
// when the next frame is due.
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

    // The shortest time between two updates of the screen: one display frame.
    [[nodiscard]] qint64 FrameIntervalNs() const;

    // The picture as it stands, one pixel per device pixel.
    [[nodiscard]] QImage Picture() const;
    // Puts Picture() on the clipboard, as an image and as PNG.
    void Copy() const;

signals:
    // Save As… was chosen, from the context menu or with Ctrl+S.
    void SaveRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
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
    // The inner area in device pixels of the window: the pixels the image covers.
    [[nodiscard]] QRect DeviceInner() const;
    void FitImage();
    // Tooltip, accessible name and description, menu texts: in the current language.
    void Retranslate();

    Canvas canvas_;
    QElapsedTimer sinceFrame_; // invalid until the first frame
    QTimer frameTimer_;
    QAction copyAction_;
    QAction saveAction_;
};

} // namespace levyc
