// Start-up time and peak memory of the planner beside an empty window and a
// window of one line in each of its font families, run in turn in the same
// session so that all see the same machine.
#pragma once

#include "ChildProcess.h"

#include <string>
#include <vector>

namespace nutrovo::bench {

struct Harnesses {
    std::string form;  // shows the planner
    std::string empty; // shows an empty window of the same size, same build flags
    std::string fonts; // the empty window with a line in each of the planner's font families
};

struct SideBySide {
    std::vector<ChildRun> form, empty, fonts;
    std::string failure;
};

// One figure of every run, for the order statistics.
std::vector<double> figures(const std::vector<ChildRun> &runs, double ChildRun::*figure);
std::vector<double> peakKiB(const std::vector<ChildRun> &runs);

// Runs the harnesses in turn (planner, empty, fonts, planner, …), `runs` times
// each, after `warmUps` unrecorded turns that bring the libraries into the
// page cache.
SideBySide measureStartUp(const Harnesses &harnesses, const EnvironmentChanges &platform, int runs,
                          int warmUps);

} // namespace nutrovo::bench
