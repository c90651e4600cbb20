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

// A film's frames drawn in order: a frame with the one before's window and
// smoothing, as on a held view, is that frame again, not drawn twice.
class DiveFrames
{
public:
    // `curves` and `path` outlive it.
    DiveFrames(std::span<const CurveRecord> curves, const DivePath &path, QSize size);

    [[nodiscard]] QImage Frame(int i, const std::atomic<bool> *cancel = nullptr);

private:
    std::span<const CurveRecord> curves_;
    const DivePath &path_;
    QSize size_;
    int last_ = -1; // the frame drawn last, while `image_` holds it
    QImage image_;
};

} // namespace levyc
