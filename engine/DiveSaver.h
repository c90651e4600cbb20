#pragma once

#include "SaveJob.h"
#include "ViewRenderThread.h"
#include "video/DiveMovie.h"

#include <QString>

namespace levyc {

// The work of saving a dive into the curves, as levyc-render --dive makes
// it. It holds its own copies; a failed or cancelled dive leaves the old file
// as it was and no temporary file behind.
SaveJob::Work DiveWork(const QString &path, SharedCurves curves, const Dive &dive);

} // namespace levyc
