#include "FramePacer.h"

#include <QScreen>

#include <algorithm>
#include <chrono>
#include <utility>

namespace levyc {

namespace {

// When the screen does not say: most displays run at 60 Hz.
constexpr qreal FallbackRefreshRate = 60.0;

} // namespace

qint64 FrameIntervalNs(const QScreen *screen)
{
    const qreal rate = screen != nullptr && screen->refreshRate() >= 1.0 ? screen->refreshRate() : FallbackRefreshRate;
    return static_cast<qint64>(1e9 / rate);
}

FramePacer::FramePacer(std::function<void()> show, std::function<const QScreen *()> screen)
    : screen_(std::move(screen))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, std::move(show));
}

qint64 FramePacer::WaitNs() const
{
    return sinceFrame_.isValid() ? std::max<qint64>(FrameIntervalNs(screen_()) - sinceFrame_.nsecsElapsed(), 0) : 0;
}

void FramePacer::Schedule()
{
    // One timer for both: at 0 ms it fires when events are next handled.
    if (!timer_.isActive()) {
        timer_.start(std::chrono::ceil<std::chrono::milliseconds>(std::chrono::nanoseconds(WaitNs())));
    }
}

} // namespace levyc
