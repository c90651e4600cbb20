#include "RampColor.h"

namespace levyc {

PackedColor RampColor(double level)
{
    const auto whole = static_cast<int>(level);
    if (level < 256) {
        return RGB(whole, 0, 0);
    }
    if (level < 512) {
        return RGB(255, whole - 256, 0);
    }
    if (level < 768) {
        return RGB(767 - whole, 255, 0);
    }
    if (level < 1024) {
        return RGB(0, 255, whole - 768);
    }
    if (level < 1280) {
        return RGB(0, 1279 - whole, 255);
    }
    if (level < 1536) {
        return RGB(0, 0, 255);
    }
    return RGB(0, 0, 0);
}

} // namespace levyc
