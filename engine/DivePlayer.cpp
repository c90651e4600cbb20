#include "DivePlayer.h"

#include "views/DiveFrame.h"

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>

namespace levyc {

DivePlayer::DivePlayer(QObject *parent)
    : QObject(parent)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &DivePlayer::Tick);
}

std::size_t DivePlayer::FramesAhead(QSize size)
{
    const qint64 frameBytes = std::max<qint64>(qint64(size.width()) * size.height() * 4, 1);
    return std::clamp<std::size_t>(static_cast<std::size_t>(AheadBytes / frameBytes), 2, MostAhead);
}

void DivePlayer::Start(SharedCurves curves, const DivePath &path, QSize size, int fps)
{
    Stop();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    schedule_.emplace(path.Frames(), fps, [clock] { return clock->nsecsElapsed(); });
    fps_ = fps;
    late_ = 0;
    slipped_ = 0;
    last_ = false;
    frames_.Reset(FramesAhead(size));
    runner_.Run(
        [this, curves = std::move(curves), path, size](const JobRunner::Job &job) { Draw(curves, path, size, job); });
    // The first frame is due now: the picture shows it is coming.
    SetPreparing(true);
}

void DivePlayer::SetPreparing(bool preparing)
{
    if (preparing_ != preparing) {
        preparing_ = preparing;
        emit Preparing(preparing);
    }
}

void DivePlayer::Stop()
{
    runner_.Drop();
    frames_.Stop();
    runner_.Wait();
    timer_.stop();
    schedule_.reset();
    SetPreparing(false);
}

void DivePlayer::Draw(const SharedCurves &curves, const DivePath &path, QSize size, const JobRunner::Job &job)
{
    DiveFrames film(*curves, path, size);
    for (int i = 0; i < path.Frames() && !job.cancelled; ++i) {
        QImage frame = film.Frame(i, &job.cancelled);
        if (frame.isNull()) {
            break;
        }
        if (!frames_.Push(std::move(frame))) {
            return; // stopped
        }
        JobRunner::Post(this, [this] { Tick(); });
    }
    frames_.End();
    JobRunner::Post(this, [this] { Tick(); });
}

void DivePlayer::Tick()
{
    if (!schedule_ || timer_.isActive()) {
        return; // stopped, or the timer will come
    }
    if (last_) {
        Stop();
        emit Ended();
        return;
    }
    if (const qint64 wait = schedule_->WaitNs(); wait > 0) {
        timer_.start(std::chrono::ceil<std::chrono::milliseconds>(std::chrono::nanoseconds(wait)));
        return;
    }
    bool drawingEnded = false;
    std::optional<QImage> frame = frames_.TryPop(&drawingEnded);
    if (!frame) {
        if (drawingEnded) { // a frame that could not be drawn ends the film
            Stop();
            emit Ended();
            return;
        }
        SetPreparing(true);
        return; // the worker calls again with the next frame
    }
    SetPreparing(false);
    const int index = schedule_->Next();
    emit Show(index, *frame);
    if (!schedule_) {
        return; // stopped by a receiver
    }
    schedule_->Shown();
    late_ = schedule_->Late();
    slipped_ = schedule_->SlippedNs();
    if (schedule_->Ended()) {
        // The last frame has its time on screen too.
        last_ = true;
        timer_.start(std::chrono::ceil<std::chrono::milliseconds>(std::chrono::nanoseconds(1'000'000'000 / fps_)));
        return;
    }
    Tick();
}

} // namespace levyc
