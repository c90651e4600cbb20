#pragma once

#include <QtGlobal>

#include <functional>

namespace levyc {

// When each frame of a film played in the window is due, from a clock in
// nanoseconds. The film's clock starts when the first frame is shown: frame i
// is due then plus i / fps, so that the picture moves as soon as it can.
//
// A frame that is not ready when due is shown late, as soon as it is ready,
// and never skipped: the worker draws the frames in order, so a skipped frame
// would have cost its drawing all the same, and the film would jump where the
// saved one does not. The film's clock then slips by the delay: the frames
// after it come at the film's own pace, not rushed through to catch up, and
// the film ends that much later.
class PlaySchedule
{
public:
    using Clock = std::function<qint64()>;

    // `frames` at least 1, `fps` above 0.
    PlaySchedule(int frames, int fps, Clock clock);

    // The next frame to show, and whether there is none left.
    [[nodiscard]] int Next() const { return next_; }
    [[nodiscard]] bool Ended() const { return next_ >= frames_; }
    // Time until the next frame is due; 0 when it is due or overdue.
    [[nodiscard]] qint64 WaitNs() const;
    // The next frame has been shown now.
    void Shown();
    // Frames shown more than half a frame after they were due, and by how
    // much the film has slipped for them.
    [[nodiscard]] int Late() const { return late_; }
    [[nodiscard]] qint64 SlippedNs() const { return slipped_; }

private:
    [[nodiscard]] qint64 DueNs(int frame) const;

    int frames_;
    int fps_;
    Clock clock_;
    int next_ = 0;
    qint64 start_ = 0; // frame 0's showing, moved on by each late frame's delay
    int late_ = 0;
    qint64 slipped_ = 0;
};

} // namespace levyc
