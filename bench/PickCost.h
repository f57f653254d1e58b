// The cost of one pick, measured in this process on the real window: from
// the pick (a row set in a picker, a button clicked) to the return of the
// handler with every field updated, beside the toolkit's floor for the same
// pick: the fields whose text it changed, given the same texts by
// QLineEdit::setText alone, from the same state.
#pragma once

#include <vector>

namespace nutrovo::bench {

struct PickCost {
    std::vector<double> pickMicros;                 // one per pick
    std::vector<double> floorMicros;                // per pick: its changes by setText alone
    std::vector<double> setTextMicros;              // one setText: a floor over its changed fields
    std::vector<double> changedFields;              // per pick
    std::vector<double> unchangedRecalculateMicros; // a recalculation that changes no text
};

// Needs a QApplication. `picks` picks chosen at random from `seed`.
PickCost measurePickCost(int picks, unsigned seed);

} // namespace nutrovo::bench
