#pragma once

#include "CurveRecord.h"
#include "WorldWindow.h"

#include <QSize>
#include <QString>

#include <vector>

class QWidget;

namespace levyc {

// Saves a dive into the curves, from the Draw's view to `view`, at `size` (a
// pixel less on an odd side for MP4 and WebM), as levyc-render --dive makes
// it, in the format the name's ending gives. A progress dialog on `parent`
// shows after half a second and can cancel. True when saved; false with the
// reason, or with none when cancelled; either way nothing is left.
bool SaveDive(QWidget *parent, const QString &path, const std::vector<CurveRecord> &curves, const WorldWindow &view,
              QSize size, QString *error);

} // namespace levyc
