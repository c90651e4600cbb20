#pragma once

#include <QtGlobal>

class QScreen;

namespace levyc {

// The shortest time between two updates of a screen: one display frame, or
// one at 60 Hz when the screen does not say or there is none.
qint64 FrameIntervalNs(const QScreen *screen);

} // namespace levyc
