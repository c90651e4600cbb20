#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

class QScreen;

namespace levyc {

// At most one frame a display frame. Each synchronous repaint is a frame for
// the window system; on Wayland one that comes before the compositor has let
// go of the last costs a copy of the whole window.
class FramePacer
{
public:
    // `show` is called when a scheduled frame is due.
    explicit FramePacer(std::function<void()> show);

    // Whether a frame may be shown now on `screen`.
    [[nodiscard]] bool Due(const QScreen *screen) const { return WaitNs(screen) == 0; }
    // Calls `show` when events are next handled, or when the next frame is due if that is later.
    void Schedule(const QScreen *screen);
    // A frame has just been shown.
    void Shown() { sinceFrame_.start(); }

private:
    [[nodiscard]] qint64 WaitNs(const QScreen *screen) const;

    QElapsedTimer sinceFrame_; // invalid until the first frame
    QTimer timer_;
};

} // namespace levyc
