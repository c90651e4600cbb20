#pragma once

#include "video/DiveMovie.h"
#include "widgets/SaveJob.h"
#include "widgets/ViewRenderThread.h"
#include "world/WorldWindow.h"

#include <QSize>
#include <QString>

namespace levyc {

// The dive the window saves and plays: from the Draw's view to `view`, at
// `size`, as levyc-render --dive makes it by default.
Dive WindowDive(const WorldWindow &view, QSize size);

// The work of saving a dive into the curves, from the Draw's view to `view`,
// at `size` (a pixel less on an odd side for MP4 and WebM), as levyc-render
// --dive makes it, in the format the name's ending gives. It holds its own
// copies; a failed or cancelled dive leaves the old file as it was and no
// temporary file behind.
SaveJob::Work DiveWork(const QString &path, SharedCurves curves, const WorldWindow &view, QSize size);

} // namespace levyc
