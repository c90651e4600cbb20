#pragma once

#include "DivePath.h"
#include "drawing/CurveRecord.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <span>

namespace levyc {

// Frame `i` of a dive along `path` at `size`, as a saved dive, Play and the
// bench all draw it: the view at the frame's window, its lines leaning toward
// their next division by the path's smoothing, in RGB32 like every frame of a
// film. Null when cancelled or when the memory cannot be had.
QImage DiveFrame(std::span<const CurveRecord> curves, const DivePath &path, int i, QSize size,
                 const std::atomic<bool> *cancel = nullptr);

} // namespace levyc
