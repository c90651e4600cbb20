#pragma once

#include <algorithm>
#include <cstdint>

namespace levyc {

// A colour packed as red + 256 * green + 65536 * blue.
using PackedColor = std::int32_t;

// Packs a colour; components outside 0..255 are clamped.
constexpr PackedColor RGB(int red, int green, int blue)
{
    return std::clamp(red, 0, 255) + 256 * std::clamp(green, 0, 255) + 65536 * std::clamp(blue, 0, 255);
}

constexpr int RedOf(PackedColor color)
{
    return color & 0xff;
}
constexpr int GreenOf(PackedColor color)
{
    return (color >> 8) & 0xff;
}
constexpr int BlueOf(PackedColor color)
{
    return (color >> 16) & 0xff;
}

} // namespace levyc
