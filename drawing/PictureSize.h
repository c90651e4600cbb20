#pragma once

#include "world/PictureWorld.h"

#include <QSize>

namespace levyc {

// The picture's size in pixels at scale 1: what the window shows and what
// levyc-render draws by default.
constexpr QSize PictureSize(573, 413);

} // namespace levyc
