#pragma once

#include "DiveMovie.h"
#include "drawing/CurveRecord.h"

#include <QString>

#include <atomic>
#include <optional>
#include <span>

namespace levyc {

// What a dive may cost before it is made.
struct DiveEstimate
{
    double seconds = 0;  // of work, as a save does it
    double bytes = 0;    // of the file
    double drawMs = 0;   // a frame's drawing, as measured
    double encodeMs = 0; // a frame's encoding after the first, as measured
    double cpuMs = 0;    // a frame's processor time, both together
};

// What the dive costs on this machine, from its own frames: a short stretch
// of consecutive frames at each of a few places on its path, drawn, then
// encoded as films of their own, the first frame alone and then the whole
// stretch. A frame's drawing does not grow with its pixels alone: the walk
// through the curves costs the same at any size, and a busy view makes more
// bytes than an empty one. None when cancelled, or with a one-line reason
// when a frame cannot be drawn or encoded.
std::optional<DiveEstimate> EstimateDive(const Dive &dive, std::span<const CurveRecord> curves,
                                         const std::atomic<bool> &cancelled, QString *error);

} // namespace levyc
