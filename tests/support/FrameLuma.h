#pragma once

#include "world/WorldWindow.h"

#include <QImage>

namespace levyc {

// A picture's mean BT.709 luma, in levels of 255.
double MeanLuma(const QImage &image);

// The mean luma of the pixels of a picture showing `shows` whose centres lie
// within `within`: the part of a frame that another frame shows too. From
// one frame to the next, what the mean luma of their common part changes by
// is the drawing's own change, such as a density that steps as lines divide,
// and not the picture's motion in or out of the frame.
double MeanLumaWithin(const QImage &image, const WorldWindow &shows, const WorldWindow &within);

} // namespace levyc
