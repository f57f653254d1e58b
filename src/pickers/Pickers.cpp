#include "pickers/Pickers.h"

#include "numeric/Checked.h"

#include <array>
#include <cassert>
#include <string_view>

namespace nutrovo::pickers {

namespace {

constexpr int ageRows = 91;
constexpr std::int16_t youngestAge = 10;
constexpr int heightRows = 48;
constexpr std::int16_t shortestInches = 48;
constexpr int weightRows = 311;
constexpr std::int16_t lightestPounds = 90;

constexpr std::array<std::string_view, 5> activityRows = {
    "1.2 quiet", "1.3 normal", "1.4 active", "1.5 X active", "1.6 XX active"};

// Row 3 is deliberately blank: the row index is the grams of fat in one dairy
// serving, so "Homogenized" has to sit at 4.
constexpr std::array<std::string_view, 5> milkRows = {"Skim", "1%", "2%", "", "Homogenized"};

// As printed on the original sheet; not recomputed, so that the rows read
// exactly as dietitians know them.
constexpr std::array<std::uint8_t, weightRows> weightRowKg = {
    41,  41,  42,  42,  43,  43,  43,  44,  44,  45,  // 90 lb
    45,  46,  46,  47,  47,  48,  48,  49,  49,  49,  // 100 lb
    50,  50,  51,  51,  52,  52,  53,  53,  54,  54,  // 110 lb
    54,  55,  55,  56,  56,  57,  57,  58,  58,  59,  // 120 lb
    59,  59,  60,  60,  61,  61,  62,  62,  63,  63,  // 130 lb
    64,  64,  64,  65,  65,  66,  66,  67,  67,  68,  // 140 lb
    68,  68,  69,  69,  70,  70,  71,  71,  72,  72,  // 150 lb
    73,  73,  73,  74,  74,  75,  75,  76,  76,  77,  // 160 lb
    77,  78,  78,  78,  79,  79,  80,  80,  81,  81,  // 170 lb
    82,  82,  82,  83,  83,  84,  84,  85,  85,  86,  // 180 lb
    86,  86,  87,  87,  88,  88,  89,  89,  90,  90,  // 190 lb
    91,  91,  91,  92,  92,  93,  93,  94,  94,  95,  // 200 lb
    95,  95,  96,  96,  97,  97,  98,  98,  99,  99,  // 210 lb
    99,  100, 100, 101, 101, 102, 102, 103, 103, 104, // 220 lb
    104, 104, 105, 105, 106, 106, 107, 107, 108, 108, // 230 lb
    108, 109, 109, 110, 110, 111, 111, 112, 112, 113, // 240 lb
    113, 113, 114, 114, 115, 115, 116, 116, 117, 117, // 250 lb
    118, 118, 118, 119, 119, 120, 120, 121, 121, 122, // 260 lb
    122, 122, 123, 123, 124, 124, 125, 125, 126, 126, // 270 lb
    127, 127, 127, 128, 128, 129, 129, 130, 130, 131, // 280 lb
    131, 131, 132, 132, 133, 133, 134, 134, 135, 135, // 290 lb
    136, 137, 137, 138, 138, 139, 139, 140, 140, 140, // 300 lb
    141, 141, 142, 142, 143, 143, 144, 144, 145, 145, // 310 lb
    145, 146, 146, 147, 147, 148, 148, 149, 149, 150, // 320 lb
    150, 150, 151, 151, 152, 152, 153, 153, 154, 154, // 330 lb
    155, 155, 155, 156, 156, 157, 157, 157, 158, 158, // 340 lb
    159, 160, 160, 160, 161, 161, 162, 162, 163, 163, // 350 lb
    164, 164, 165, 165, 165, 166, 166, 167, 167, 168, // 360 lb
    168, 169, 169, 170, 170, 170, 171, 171, 172, 172, // 370 lb
    173, 173, 174, 174, 175, 175, 175, 176, 176, 177, // 380 lb
    177, 178, 178, 179, 179, 180, 180, 181, 181, 181, // 390 lb
    182,                                              // 400 lb
};

std::string ageRowText(int row) { return std::to_string(row + youngestAge) + " yrs"; }

// Feet and inches, then the centimetres rounded half up. 5 to 7 ft rows keep
// the feet-and-inches part five characters wide; 4 ft rows are not padded.
std::string heightRowText(int row)
{
    const int inches = row + shortestInches;
    const int feet = inches / 12;
    const int rest = inches % 12;
    // Whole centimetres in exact integer arithmetic: 75 in is 190.5 cm, which
    // must show as 191 (a double product lands just below the half).
    const int centimetres = (inches * 254 + 50) / 100;
    const std::string cm = " - " + std::to_string(centimetres) + "cm";
    const std::string f = std::to_string(feet);
    if (feet == 4)
        return "4-" + std::to_string(rest) + cm;
    if (rest == 10)
        return f + "- 10" + cm;
    if (rest == 11)
        return f + " -11" + cm;
    return f + " - " + std::to_string(rest) + cm;
}

std::string weightRowText(int row)
{
    return std::to_string(row + lightestPounds) + "lb - " + std::to_string(weightRowKilograms(row)) +
           "kg";
}

} // namespace

int rowCount(Picker picker)
{
    switch (picker) {
    case Picker::Age:
        return ageRows;
    case Picker::Height:
        return heightRows;
    case Picker::Weight:
        return weightRows;
    case Picker::Activity:
        return static_cast<int>(activityRows.size());
    case Picker::Milk:
        return static_cast<int>(milkRows.size());
    }
    return 0;
}

std::string rowText(Picker picker, int row)
{
    assert(row >= 0 && row < rowCount(picker));
    switch (picker) {
    case Picker::Age:
        return ageRowText(row);
    case Picker::Height:
        return heightRowText(row);
    case Picker::Weight:
        return weightRowText(row);
    case Picker::Activity:
        return std::string(activityRows.at(static_cast<std::size_t>(row)));
    case Picker::Milk:
        return std::string(milkRows.at(static_cast<std::size_t>(row)));
    }
    return {};
}

int weightRowKilograms(int row) { return weightRowKg.at(static_cast<std::size_t>(row)); }

std::int32_t ageYearsFromRow(std::int16_t row) { return checkedAdd<std::int16_t>(row, youngestAge); }

double heightCmFromRow(std::int16_t row)
{
    const Real inches = checkedAdd<std::int16_t>(row, shortestInches);
    return (floor(inches * 2.54 * 10 + 0.5) / 10).value();
}

std::int32_t weightKgFromRow(std::int16_t row)
{
    const Real pounds = checkedAdd<std::int16_t>(row, lightestPounds);
    // Cut (not rounded) to tenths first; only then are halves sent to the even neighbour.
    const Real tenths = floor(pounds / 2.2 * 10) / 10;
    return roundHalfEvenToInt32(tenths);
}

double activityFromRow(std::int16_t row) { return (Real(row) / 10 + 1.2).value(); }

std::int16_t milkTypeFromRow(std::int16_t row) { return row; }

} // namespace nutrovo::pickers
