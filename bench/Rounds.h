// The start-up and pick comparisons measured round after round, each round
// of one between those of the other, so that every ratio samples the machine
// as it was over the whole run, not during one stretch of it.
#pragma once

#include "PickCost.h"
#include "StartUp.h"

namespace nutrovo::bench {

struct RoundPlan {
    Harnesses harnesses;
    int rounds = 1;
    int startUpRuns = 1;   // per window, platform and round
    int picksPerRound = 1;
    unsigned seed = 1;     // the same picks in every round
    bool startUp = true;
    bool picking = true;
};

struct Measured {
    SideBySide offscreen, xvfb; // round r's runs follow round r-1's in each list
    PickCost picks;             // likewise
};

// Needs a QApplication when picking.
Measured measureInRounds(const RoundPlan &plan);

} // namespace nutrovo::bench
