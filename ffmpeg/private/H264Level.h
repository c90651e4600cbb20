#pragma once

#include <QSize>

namespace levyc {

// An H.264 level with its limits for the High profile.
struct H264Level
{
    int idc = 0;        // ten times the level, as the stream carries it; 0 for none
    int maxKbps = 0;    // the highest bitrate, in 1000 bits a second
    int bufferKbit = 0; // the decoder's coded picture buffer, in 1000 bits
};

// The lowest level, and at least `floor` (an idc), whose frame size and
// macroblock rate take `size` at `fps`; idc 0 when none does.
H264Level H264LevelFor(QSize size, int fps, int floor);

} // namespace levyc
