#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

class QScreen;

namespace levyc {

// The shortest time between two updates of a screen: one display frame, or
// one at 60 Hz when the screen does not say or there is none.
qint64 FrameIntervalNs(const QScreen *screen);

// At most one frame a display frame. Each synchronous repaint is a frame for
// the window system; on Wayland one that comes before the compositor has let
// go of the last costs a copy of the whole window.
class FramePacer
{
public:
    // `show` is called when a scheduled frame is due; `screen` gives the
    // screen the frames go to, asked only when a wait is worked out.
    FramePacer(std::function<void()> show, std::function<const QScreen *()> screen);

    // Whether a frame may be shown now.
    [[nodiscard]] bool Due() const { return WaitNs() == 0; }
    // Calls `show` when events are next handled, or when the next frame is
    // due if that is later. Cheap once scheduled: each line drawn asks.
    void Schedule();
    // A frame has just been shown.
    void Shown() { sinceFrame_.start(); }

private:
    [[nodiscard]] qint64 WaitNs() const;

    std::function<const QScreen *()> screen_;

    QElapsedTimer sinceFrame_; // invalid until the first frame
    QTimer timer_;
};

} // namespace levyc
