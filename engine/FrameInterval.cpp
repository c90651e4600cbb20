#include "FrameInterval.h"

#include <QScreen>

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

} // namespace levyc
