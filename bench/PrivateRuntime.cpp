#include "PrivateRuntime.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace nutrovo::bench {

PrivateRuntime::PrivateRuntime()
{
    const char *temporary = std::getenv("TMPDIR");
    std::string pattern = std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") +
                          "/nutrovo-bench-runtime-XXXXXX";
    // Made readable by its owner alone, as a runtime folder must be.
    if (mkdtemp(pattern.data()) == nullptr)
        return;
    path_ = pattern;
    setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
}

PrivateRuntime::~PrivateRuntime()
{
    if (path_.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace nutrovo::bench
