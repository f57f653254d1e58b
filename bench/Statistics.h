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

// A ratio measured round by round: the median of the rounds, and the lowest
// and highest round.
struct RoundRatio {
    double median = 0, lowest = 0, highest = 0;
};

// Two series measured side by side, cut into `rounds` consecutive parts of
// equal size; each part's ratio is the ratio of its two medians.
inline RoundRatio roundRatio(const std::vector<double> &numerator,
                             const std::vector<double> &denominator, int rounds)
{
    const std::size_t parts = rounds > 0 ? static_cast<std::size_t>(rounds) : 1;
    const std::size_t size = std::min(numerator.size(), denominator.size()) / parts;
    if (size == 0)
        return {};
    std::vector<double> ratios;
    for (std::size_t part = 0; part < parts; ++part) {
        const auto from = static_cast<std::ptrdiff_t>(part * size);
        const auto to = from + static_cast<std::ptrdiff_t>(size);
        ratios.push_back(median({numerator.begin() + from, numerator.begin() + to}) /
                         median({denominator.begin() + from, denominator.begin() + to}));
    }
    const auto [lowest, highest] = std::ranges::minmax(ratios);
    return {median(ratios), lowest, highest};
}

} // namespace nutrovo::bench
