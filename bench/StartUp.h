// Start-up time and peak memory of the planner beside an empty window, run
// in alternation in the same session so that both see the same machine.
#pragma once

#include "ChildProcess.h"

#include <string>
#include <vector>

namespace nutrovo::bench {

struct Harnesses {
    std::string form;  // shows the planner
    std::string empty; // shows an empty window of the same size, same build flags
};

struct SideBySide {
    std::vector<ChildRun> form, empty;
    std::string failure;
};

// One figure of every run, for the order statistics.
std::vector<double> figures(const std::vector<ChildRun> &runs, double ChildRun::*figure);
std::vector<double> peakKiB(const std::vector<ChildRun> &runs);

// Runs both harnesses `runs` times each, alternating which goes first, after
// `warmUps` unrecorded rounds that bring the libraries into the page cache.
SideBySide measureStartUp(const Harnesses &harnesses, const EnvironmentChanges &platform, int runs,
                          int warmUps);

} // namespace nutrovo::bench
