#pragma once

#include "drawing/PictureSize.h"

#include <QRect>
#include <QSize>

namespace levyc {

// The window is laid out in twips, 15 to the pixel at scale 1.
constexpr int TwipsPerPixel = 15;

constexpr QRect FromTwips(int left, int top, int width, int height)
{
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
}

// Picture1's place on the window, and its sunken border.
constexpr QRect Picture1Geometry = FromTwips(240, 120, 8655, 6255);
constexpr int PictureBorderWidth = 2;

static_assert(Picture1Geometry.size() - QSize(2 * PictureBorderWidth, 2 * PictureBorderWidth) == PictureSize,
              "the picture fills Picture1 inside its border");

} // namespace levyc
