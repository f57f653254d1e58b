// The one routine that turns the consultation's inputs into every output.
#pragma once

#include "consult/ConsultState.h"
#include "consult/Display.h"

namespace nutrovo {

// Rewrites every output field, section by section: body mass index, gram
// grid, meal-pattern totals, maintenance energy (kilojoules, then
// kilocalories), targets (losses, then gains), sex. Later sections compute
// from the values earlier ones have shown.
void recalculate(const ConsultState &state, Display &display);

} // namespace nutrovo
