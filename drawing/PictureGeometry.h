#pragma once

#include "DrawingSurface.h"

#include <QRect>
#include <QSize>

#include <cstdint>

namespace levyc {

// The picture a Draw makes, as the program, its tests, benchmarks and tools
// know it: the world window its curves are drawn in (y grows upward), and the
// lines of a whole run.
constexpr WorldWindow PictureWorld{-300, 410, 510, -500};
constexpr std::int64_t PictureLines = 3'522'560;

// The window is laid out in twips, 15 to the pixel at scale 1.
constexpr int TwipsPerPixel = 15;

constexpr QRect FromTwips(int left, int top, int width, int height)
{
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
}

// Picture1's place on the window, and its sunken border.
constexpr QRect Picture1Geometry = FromTwips(240, 120, 8655, 6255);
constexpr int PictureBorderWidth = 2;

// The picture inside the border at scale 1: what the window shows and what
// levyc-render draws by default.
constexpr QSize PictureSize = Picture1Geometry.size() - QSize(2 * PictureBorderWidth, 2 * PictureBorderWidth);

} // namespace levyc
