// The cost of one pick, measured in this process on the real window: from
// the pick (a row set in a picker, a button clicked) to the return of the
// handler with every field updated, beside the toolkit's floor for the same
// picks: the fields whose text changed, times one QLineEdit::setText.
#pragma once

#include <vector>

namespace nutrovo::bench {

struct PickCost {
    std::vector<double> pickMicros;                 // one per pick
    std::vector<double> setTextMicros;              // one setText, from batches over every field
    std::vector<double> changedFields;              // per pick
    std::vector<double> unchangedRecalculateMicros; // a recalculation that changes no text
};

// Needs a QApplication. `picks` picks chosen at random from `seed`.
PickCost measurePickCost(int picks, unsigned seed);

} // namespace nutrovo::bench
