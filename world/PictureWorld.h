#pragma once

#include "WorldWindow.h"

#include <cstdint>

namespace levyc {

// The picture a Draw makes: the world window its curves are drawn in (y grows
// upward), and the lines of a whole run.
constexpr WorldWindow PictureWorld{-300, 410, 510, -500};
constexpr std::int64_t PictureLines = 3'522'560;

// Whether a world window is the Draw's own, which a view draws the Draw's way.
constexpr bool IsDrawWindow(const WorldWindow &window)
{
    return window == PictureWorld;
}

} // namespace levyc
