// The one clock of the benchmarks: monotonic, shared with the child processes.
#pragma once

#include <ctime>

namespace nutrovo::bench {

inline long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

} // namespace nutrovo::bench
