// The five drop-down lists of the window, each once: its list of rows, its
// control's name, what a screen reader calls it, the row it starts on, and
// what a picked row stores and echoes. The window, its accessibility and the
// tests all read them from here.
#pragma once

#include "consult/ConsultState.h"
#include "consult/Display.h"
#include "pickers/Pickers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace nutrovo {

struct PickerEntry {
    pickers::Picker picker;
    std::string_view objectName;
    std::string_view spokenName;
    int startRow; // picked at start-up and by reset
    std::optional<Output> echo; // the field that shows the stored value
    // Stores the value of a picked row and shows it in the echo field.
    void (*pick)(ConsultState &state, std::int16_t row, Display &display);
};

// In the order start-up and reset pick them.
inline constexpr std::array pickerTable = {
    PickerEntry{pickers::Picker::Milk, "milkCombo", "Milk type", 1, std::nullopt,
                [](ConsultState &state, std::int16_t row, Display &) {
                    state.milkType = pickers::milkTypeFromRow(row);
                }},
    PickerEntry{pickers::Picker::Age, "ageCombo", "Age", 30, Output::showAge,
                [](ConsultState &state, std::int16_t row, Display &display) {
                    state.ageYears = pickers::ageYearsFromRow(row);
                    display.integer(Output::showAge, state.ageYears);
                }},
    PickerEntry{pickers::Picker::Height, "htCombo", "Current Height", 10, Output::showHeight,
                [](ConsultState &state, std::int16_t row, Display &display) {
                    state.heightCm = pickers::heightCmFromRow(row);
                    display.number(Output::showHeight, state.heightCm);
                }},
    PickerEntry{pickers::Picker::Weight, "wtCombo", "Current Weight", 30, Output::showWeight,
                [](ConsultState &state, std::int16_t row, Display &display) {
                    state.weightKg = pickers::weightKgFromRow(row);
                    display.integer(Output::showWeight, state.weightKg);
                }},
    PickerEntry{pickers::Picker::Activity, "activityCombo", "Activity", 1, Output::showactivity,
                [](ConsultState &state, std::int16_t row, Display &display) {
                    state.activity = pickers::activityFromRow(row);
                    display.number(Output::showactivity, state.activity);
                }},
};

inline constexpr std::size_t pickerCount = pickerTable.size();

} // namespace nutrovo
