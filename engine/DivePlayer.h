#pragma once

#include "JobRunner.h"
#include "PlaySchedule.h"
#include "ViewRenderThread.h"
#include "parallel/BoundedQueue.h"
#include "views/DivePath.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QTimer>

#include <memory>
#include <optional>

namespace levyc {

// Plays a dive: a worker draws its frames in order, a few ahead, and they are
// handed out on this object's thread when each is due by its PlaySchedule.
// The film starts with its first frame drawn; while a frame is due and not
// yet drawn, Preparing(true) says so, until it comes.
class DivePlayer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DivePlayer)

public:
    // Frames drawn ahead of the one on screen: up to a second's worth,
    // within a bound on memory at a screen's size, so that the cheap frames
    // deep in the dive make up for the costly ones near the Draw's view.
    static constexpr qint64 AheadBytes = 32 << 20;
    static constexpr std::size_t MostAhead = 30;
    static std::size_t FramesAhead(QSize size);

    explicit DivePlayer(QObject *parent = nullptr);
    ~DivePlayer() override { Stop(); }

    // Plays the path's frames at `size` and the path's fps, after stopping
    // any film that plays.
    void Start(SharedCurves curves, const DivePath &path, QSize size, int fps);
    // Stops at once, without Ended().
    void Stop();
    // Frames shown late so far, or by the last film.
    [[nodiscard]] int Late() const { return late_; }
    // How much later than its time the last frame came, from the late ones.
    [[nodiscard]] qint64 SlippedNs() const { return slipped_; }

signals:
    // A frame to put on screen now; once it returns, it counts as shown.
    void Show(int frame, const QImage &image);
    // The last frame has had its time, or a frame could not be drawn.
    void Ended();
    // A frame is due and not drawn yet (true), or it has come (false).
    void Preparing(bool preparing);

private:
    void Draw(const SharedCurves &curves, const DivePath &path, QSize size, const JobRunner::Job &job);
    // Shows what is due, and waits for the next.
    void Tick();
    void SetPreparing(bool preparing);

    std::optional<PlaySchedule> schedule_;
    int fps_ = 1;
    int late_ = 0;
    qint64 slipped_ = 0;
    bool last_ = false; // the last frame is on screen, for its time
    bool preparing_ = false;
    QTimer timer_;
    BoundedQueue<QImage> frames_{2}; // ended once the worker has ended
    JobRunner runner_;               // last: its thread ends before the rest goes
};

} // namespace levyc
