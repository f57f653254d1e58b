// Order statistics of repeated measurements.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace nutrovo::bench {

// Nearest-rank percentile, 0 < percent <= 100; 0 for no samples.
inline double percentile(std::vector<double> samples, double percent)
{
    if (samples.empty())
        return 0.0;
    const auto rank =
        static_cast<std::size_t>(std::ceil(percent / 100.0 * static_cast<double>(samples.size())));
    const std::size_t index = std::clamp<std::size_t>(rank, 1, samples.size()) - 1;
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(index),
                     samples.end());
    return samples[index];
}

inline double median(const std::vector<double> &samples)
{
    return percentile(samples, 50.0);
}

} // namespace nutrovo::bench
