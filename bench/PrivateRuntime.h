// A runtime folder of the benchmark's own, for it and every window it starts:
// without one the toolkit warns and makes /tmp/runtime-<user>, which outlives
// the run. Removed, with whatever was put in it, when the object goes.
#pragma once

#include <string>

namespace nutrovo::bench {

class PrivateRuntime {
public:
    PrivateRuntime();
    ~PrivateRuntime();
    PrivateRuntime(const PrivateRuntime &) = delete;
    PrivateRuntime &operator=(const PrivateRuntime &) = delete;

    bool made() const { return !path_.empty(); }

private:
    std::string path_;
};

} // namespace nutrovo::bench
