#include "PlaySchedule.h"

#include <algorithm>

namespace levyc {

namespace {

constexpr qint64 NsPerSecond = 1'000'000'000;

} // namespace

PlaySchedule::PlaySchedule(int frames, int fps, Clock clock)
    : frames_(std::max(frames, 1))
    , fps_(std::max(fps, 1))
    , clock_(std::move(clock))
{
}

qint64 PlaySchedule::DueNs(int frame) const
{
    return start_ + (frame * NsPerSecond + fps_ / 2) / fps_;
}

qint64 PlaySchedule::WaitNs() const
{
    if (next_ == 0 || Ended()) {
        return 0;
    }
    return std::max<qint64>(DueNs(next_) - clock_(), 0);
}

void PlaySchedule::Shown()
{
    if (Ended()) {
        return;
    }
    const qint64 now = clock_();
    if (next_ == 0) {
        start_ = now;
    } else if (const qint64 delay = now - DueNs(next_); delay > NsPerSecond / fps_ / 2) {
        ++late_;
        start_ += delay;
        slipped_ += delay;
    }
    ++next_;
}

} // namespace levyc
