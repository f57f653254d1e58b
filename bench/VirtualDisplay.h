// A private X server (Xvfb) on a display number it picks itself; stopped,
// by its process id, when the object goes.
#pragma once

#include <string>
#include <sys/types.h>

namespace nutrovo::bench {

class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    bool running() const { return !name_.empty(); }
    const std::string &name() const { return name_; } // ":N"
    const std::string &failure() const { return failure_; }

private:
    pid_t pid_ = 0;
    std::string name_;
    std::string failure_;
};

} // namespace nutrovo::bench
