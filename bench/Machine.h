// What the figures were measured on.
#pragma once

#include <string>

namespace nutrovo::bench {

// "2 cores (AMD EPYC), Qt 6.4.2, RelWithDebInfo build, load average 1.35 at the start"
std::string machineDescription();

} // namespace nutrovo::bench
