#pragma once

#include "Color.h"

namespace levyc {

// Black through red, yellow, green and cyan to blue, 256 levels a band; solid
// blue from 1280, black from 1536. Defined for whole-number levels.
PackedColor RampColor(double level);

} // namespace levyc
