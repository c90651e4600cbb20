#include "private/H264Level.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace levyc {

namespace {

struct LevelLimits
{
    int idc;
    std::int64_t macroblocksPerSecond;
    std::int64_t frameMacroblocks;
    int maxKbps; // for the Baseline and Main profiles
    int bufferKbit;
};

// The H.264 standard's table of levels (1b left out: no encoder here asks for it).
constexpr std::array<LevelLimits, 19> Levels{{
    {10, 1485, 99, 64, 175},
    {11, 3000, 396, 192, 500},
    {12, 6000, 396, 384, 1000},
    {13, 11880, 396, 768, 2000},
    {20, 11880, 396, 2000, 2000},
    {21, 19800, 792, 4000, 4000},
    {22, 20250, 1620, 4000, 4000},
    {30, 40500, 1620, 10000, 10000},
    {31, 108000, 3600, 14000, 14000},
    {32, 216000, 5120, 20000, 20000},
    {40, 245760, 8192, 20000, 25000},
    {41, 245760, 8192, 50000, 62500},
    {42, 522240, 8704, 50000, 62500},
    {50, 589824, 22080, 135000, 135000},
    {51, 983040, 36864, 240000, 240000},
    {52, 2073600, 36864, 240000, 240000},
    {60, 4177920, 139264, 240000, 240000},
    {61, 8355840, 139264, 480000, 480000},
    {62, 16711680, 139264, 800000, 800000},
}};

// The High profile allows 5/4 of the bitrate and buffer of the others.
constexpr int HighNumerator = 5;
constexpr int HighDenominator = 4;

} // namespace

H264Level H264LevelFor(QSize size, int fps, int floor)
{
    const std::int64_t across = (size.width() + 15) / 16;
    const std::int64_t down = (size.height() + 15) / 16;
    const std::int64_t frame = across * down;
    for (const LevelLimits &level : Levels) {
        // Neither side may exceed the square root of eight frames' worth.
        const auto longestSide =
            static_cast<std::int64_t>(std::sqrt(8.0 * static_cast<double>(level.frameMacroblocks)));
        if (level.idc >= floor && frame <= level.frameMacroblocks && frame * fps <= level.macroblocksPerSecond &&
            across <= longestSide && down <= longestSide) {
            return {level.idc, level.maxKbps * HighNumerator / HighDenominator,
                    level.bufferKbit * HighNumerator / HighDenominator};
        }
    }
    return {};
}

} // namespace levyc
