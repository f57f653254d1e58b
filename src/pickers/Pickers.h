// The five fixed drop-down lists and the conversion of a picked row into the
// value the formulas use. A stored value is always computed from the row
// index, never from the row's text.
#pragma once

#include <cstdint>
#include <string>

namespace nutrovo::pickers {

enum class Picker { Age, Height, Weight, Activity, Milk };

int rowCount(Picker picker);
std::string rowText(Picker picker, int row);

std::int32_t ageYearsFromRow(std::int16_t row);
double heightCmFromRow(std::int16_t row);
std::int32_t weightKgFromRow(std::int16_t row);
double activityFromRow(std::int16_t row);
std::int16_t milkTypeFromRow(std::int16_t row);

// The kilogram figure printed in a weight row: fixed per row, and for 79 rows
// one away from the weight that row stores.
int weightRowKilograms(int row);

} // namespace nutrovo::pickers
