#pragma once

#include <cmath>

namespace levyc {

// Square root.
inline double Sqr(double value)
{
    return std::sqrt(value);
}

} // namespace levyc
