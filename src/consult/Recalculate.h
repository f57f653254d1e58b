// The one routine that turns the consultation's inputs into every output.
#pragma once

#include "consult/ConsultState.h"
#include "consult/Display.h"

#include <bitset>
#include <optional>

namespace nutrovo {

// The parts of the recalculation. Each reads its own inputs and writes its
// own fields, so a part whose inputs are unchanged would write what its
// fields already show.
enum class Section : std::size_t {
    BodyMassIndex, // height, weight; with age and sex, its reading
    MealPattern,   // the six servings and the milk type: gram grid, totals
    Energy,        // sex, age, height, weight, activity: maintenance, targets
    Sex,           // sex
};
inline constexpr std::size_t sectionCount = 4;
using Sections = std::bitset<sectionCount>;
inline const Sections allSections = Sections().set();

// The part that writes a field; none for the measurement echoes, which the
// pickers write.
std::optional<Section> sectionOf(Output field);

// The parts that read an input that differs between the two records.
Sections sectionsReading(const ConsultState &before, const ConsultState &after);

// Rewrites every output field, section by section: body mass index, gram
// grid, meal-pattern totals, maintenance energy (kilojoules, then
// kilocalories), targets (losses, then gains), sex. Later sections compute
// from the values earlier ones have shown.
void recalculate(const ConsultState &state, Display &display);

// The same, for the given parts only, in the same order.
void recalculate(const ConsultState &state, const Sections &sections, Display &display);

} // namespace nutrovo
