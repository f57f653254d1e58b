// One consultation as the register keeps it: the client's name as typed,
// every pick, the text of every display field as the window showed it, the
// dietitian's note and the dietitian named in the header.
#pragma once

#include "consult/Outputs.h"
#include "consult/PickerTable.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nutrovo::visits {

// The six servings arrays, Option1 to Option6, in the window's order.
inline constexpr std::size_t servingsGroupCount = 6;
inline constexpr int servingsButtonCount = 16;
inline constexpr int sexButtonCount = 2;
// A servings array in which no button is picked (the start-up state).
inline constexpr int noButton = -1;

struct Picks {
    std::array<int, pickerCount> rows{}; // in pickerTable's order
    int sex = 0;
    std::array<int, servingsGroupCount> servings{noButton, noButton, noButton,
                                                 noButton, noButton, noButton};

    friend bool operator==(const Picks &, const Picks &) = default;
};

// The longest note a visit keeps, in UTF-8 bytes.
inline constexpr std::size_t noteLimitBytes = std::size_t{64} * 1024;

using FieldTexts = std::array<std::string, outputCount>;

struct Visit {
    std::string clientName; // as typed
    std::string savedAt;    // ISO 8601 with the UTC offset
    std::string programVersion;
    std::string savedBy;
    Picks picks;
    FieldTexts texts;
    std::string note;          // UTF-8, exactly as typed, at most noteLimitBytes
    std::string dietitianName; // as the header showed it; empty while none is set

    friend bool operator==(const Visit &, const Visit &) = default;
};

// What is wrong with a visit read back, one phrase per fault: a row outside
// its list, a button that does not exist, no name, a note longer than a
// visit keeps. Empty when the window can
// show it.
std::vector<std::string> problemsOf(const Visit &visit);

// The fields whose text differs between two sets of texts, in the window's order.
std::vector<Output> differingFields(const FieldTexts &stored, const FieldTexts &shown);

} // namespace nutrovo::visits
