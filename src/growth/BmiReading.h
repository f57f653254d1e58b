// What a body mass index means for the client's age and sex: the adult
// class for 20 and over, and below that the BMI-for-age z-score of the WHO's
// 2007 reference (5 to 19 years) with its class. Both are read from the BMI
// as the window shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nutrovo::growth {

inline constexpr std::int32_t adultFromYears = 20;

// The reference as the build embedded it, byte for byte, and its rows.
std::string_view bmiForAgeTableText();

struct LmsRow {
    int sex = 0;        // 1 male, 2 female
    int ageMonths = 0;  // completed months
    double l = 0, m = 0, s = 0;
    friend bool operator==(const LmsRow &, const LmsRow &) = default;
};
std::span<const LmsRow> bmiForAgeRows();

// The middle of the picked year of age, within the reference: a client of
// 19 is read at its last month.
double ageMonthsOfYears(std::int32_t ageYears);

// The z-score of a BMI for sex (0 male, any other value female, as the
// window's sex buttons) and age in months: L, M and S taken linearly between
// whole months, beyond +/-3 SD the WHO's restricted rule. Not rounded.
double bmiForAgeZ(double bmi, std::int16_t sexIndex, double ageMonths);

// z to two decimals, half away from zero, as the window shows it: "+1.23",
// "-0.40", "0.00"; and its value as shown.
std::string zText(double z);
double shownZ(double z);

// "Normal weight", ...: the class of an adult BMI as shown.
std::string_view adultClass(double bmiShown);
// "Normal", ...: the class of a z-score as shown.
std::string_view childClass(double zShown);

// The window's text: the adult class, or "<class> (z <z>)" under 20.
std::string bmiReading(double bmiShown, std::int16_t sexIndex, std::int32_t ageYears);

// The z-score a reading shows, if it shows one.
std::optional<double> zOfReading(std::string_view reading);

} // namespace nutrovo::growth
