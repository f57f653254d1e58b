#include "Machine.h"

#include <QtGlobal>
#include <fstream>
#include <sched.h>

namespace nutrovo::bench {

namespace {

std::string cpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.starts_with("model name")) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line
                                              : line.substr(line.find_first_not_of(' ', colon + 1));
        }
    }
    return "unknown CPU";
}

// The cores this process may run on, as nproc counts them.
int usableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    return sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 1;
}

// Other work on the machine slows every figure; the report says how much there was.
std::string loadAverage()
{
    std::ifstream loadavg("/proc/loadavg");
    std::string oneMinute;
    loadavg >> oneMinute;
    return oneMinute.empty() ? "unknown" : oneMinute;
}

} // namespace

std::string machineDescription()
{
    return std::to_string(usableCores()) + " cores (" + cpuModel() + "), Qt " + qVersion() + ", " +
           NUTROVO_BENCH_BUILD_TYPE + " build, load average " + loadAverage() + " at the start";
}

} // namespace nutrovo::bench
