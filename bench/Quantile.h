#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace levyc {

// The value a fraction of the way through sorted values, between neighbours:
// 0.5 for the median, 0.25 and 0.75 for the quartiles.
inline double Quantile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const double at = fraction * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

} // namespace levyc
