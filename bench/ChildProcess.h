// Runs a start-up harness as a child process and measures it from the
// outside: the time from spawning it to its first painted frame; and its
// peak resident memory, as it reports it.
#pragma once

#include <map>
#include <string>

namespace nutrovo::bench {

struct ChildRun {
    double milliseconds = 0; // spawn to first painted frame
    // The same span cut where the child said: spawn to main(), the
    // application object, the window's construction, showing and painting.
    double loadMs = 0, applicationMs = 0, windowMs = 0, paintMs = 0;
    long peakKiB = 0;     // the child's peak resident memory at its first frame
    std::string messages; // what the child wrote on standard error
    std::string failure;  // empty when the child reported a frame and exited cleanly
    bool ok() const { return failure.empty(); }
};

// Environment entries to set (or, with an empty value, to remove) for the
// child, on top of this process's environment.
using EnvironmentChanges = std::map<std::string, std::string>;

ChildRun runUntilFirstFrame(const std::string &program, const EnvironmentChanges &changes);

} // namespace nutrovo::bench
