#include "growth/BmiReading.h"

#include "numeric/Checked.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

namespace nutrovo::growth {

namespace {

constexpr int firstMonth = 60;
constexpr int lastMonth = 229;
constexpr int monthsPerSex = lastMonth - firstMonth + 1;
// The reference ends at 19 years 0 months.
constexpr double lastReadMonth = 228;

std::string_view nextField(std::string_view &line)
{
    const std::size_t tab = line.find('\t');
    const std::string_view field = line.substr(0, tab);
    line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
    return field;
}

template <typename T> T parsed(std::string_view field)
{
    T value{};
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size())
        throw std::logic_error("the embedded BMI-for-age table has a field that is not a number");
    return value;
}

// The rows in the file's order: boys' months 60 to 229, then girls'. A table
// in any other order would be read at the wrong ages, so it stops the build's
// tests rather than the reading.
std::vector<LmsRow> parsedRows()
{
    std::vector<LmsRow> rows;
    std::string_view text = bmiForAgeTableText();
    bool header = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (std::exchange(header, false) || line.empty())
            continue;
        LmsRow row;
        row.sex = parsed<int>(nextField(line));
        row.ageMonths = parsed<int>(nextField(line));
        row.l = parsed<double>(nextField(line));
        row.m = parsed<double>(nextField(line));
        row.s = parsed<double>(nextField(line));
        const int expected = static_cast<int>(rows.size());
        if (row.sex != 1 + expected / monthsPerSex || row.ageMonths != firstMonth + expected % monthsPerSex)
            throw std::logic_error("the embedded BMI-for-age table is not in sex and month order");
        rows.push_back(row);
    }
    if (rows.size() != std::size_t{2} * monthsPerSex)
        throw std::logic_error("the embedded BMI-for-age table is incomplete");
    return rows;
}

struct Lms {
    Real l, m, s;
};

// L, M and S at an age between two whole months, taken linearly.
Lms lmsAt(std::int16_t sexIndex, double ageMonths)
{
    const double months = std::clamp(ageMonths, double(firstMonth), lastReadMonth);
    const double whole = std::floor(months);
    const std::size_t first = (sexIndex == 0 ? 0 : monthsPerSex) + static_cast<std::size_t>(whole) - firstMonth;
    const std::span<const LmsRow> rows = bmiForAgeRows();
    const LmsRow &a = rows[first];
    const LmsRow &b = rows[first + 1];
    const Real t = Real(months) - whole;
    return {Real(a.l) + t * (Real(b.l) - a.l), Real(a.m) + t * (Real(b.m) - a.m), Real(a.s) + t * (Real(b.s) - a.s)};
}

Real power(Real base, Real exponent) { return Real::checked(std::pow(base.value(), exponent.value())); }

// The BMI at k standard deviations.
Real bmiAtSd(const Lms &p, double k) { return p.m * power(Real(1) + p.l * p.s * k, Real(1) / p.l); }

std::int64_t hundredths(double z) { return std::llround(z * 100); }

} // namespace

std::span<const LmsRow> bmiForAgeRows()
{
    static const std::vector<LmsRow> rows = parsedRows();
    return rows;
}

double ageMonthsOfYears(std::int32_t ageYears)
{
    return std::min((Real(ageYears) * 12 + 6).value(), lastReadMonth);
}

double bmiForAgeZ(double bmi, std::int16_t sexIndex, double ageMonths)
{
    const Lms p = lmsAt(sexIndex, ageMonths);
    const Real z = (power(Real(bmi) / p.m, p.l) - 1) / (p.l * p.s);
    if (z.value() > 3) {
        const Real sd3 = bmiAtSd(p, 3);
        return (Real(3) + (Real(bmi) - sd3) / (sd3 - bmiAtSd(p, 2))).value();
    }
    if (z.value() < -3) {
        const Real sdMinus3 = bmiAtSd(p, -3);
        return (Real(-3) + (Real(bmi) - sdMinus3) / (bmiAtSd(p, -2) - sdMinus3)).value();
    }
    return z.value();
}

double shownZ(double z) { return static_cast<double>(hundredths(z)) / 100; }

std::string zText(double z)
{
    const std::int64_t h = hundredths(z);
    const std::int64_t whole = std::llabs(h);
    std::array<char, 32> digits{};
    auto *const end = std::to_chars(digits.data(), digits.data() + digits.size(), whole / 100).ptr;
    const std::string cents = std::to_string(100 + whole % 100).substr(1);
    const std::string_view sign = h > 0 ? "+" : h < 0 ? "-" : "";
    return std::string(sign) + std::string(digits.data(), end) + "." + cents;
}

std::string_view adultClass(double bmiShown)
{
    const std::int64_t tenths = std::llround(bmiShown * 10);
    if (tenths < 185)
        return "Underweight";
    if (tenths < 250)
        return "Normal weight";
    if (tenths < 300)
        return "Pre-obesity";
    if (tenths < 350)
        return "Obesity class I";
    if (tenths < 400)
        return "Obesity class II";
    return "Obesity class III";
}

std::string_view childClass(double zShown)
{
    const std::int64_t h = hundredths(zShown);
    if (h < -500 || h > 500)
        return "Check height and weight"; // implausible, by the WHO's flag
    if (h < -300)
        return "Severe thinness";
    if (h < -200)
        return "Thinness";
    if (h <= 100)
        return "Normal";
    if (h <= 200)
        return "Overweight";
    return "Obesity";
}

std::string bmiReading(double bmiShown, std::int16_t sexIndex, std::int32_t ageYears)
{
    if (ageYears >= adultFromYears)
        return std::string(adultClass(bmiShown));
    const double z = shownZ(bmiForAgeZ(bmiShown, sexIndex, ageMonthsOfYears(ageYears)));
    return std::string(childClass(z)) + " (z " + zText(z) + ")";
}

std::optional<double> zOfReading(std::string_view reading)
{
    constexpr std::string_view marker = "(z ";
    const std::size_t at = reading.rfind(marker);
    if (at == std::string_view::npos || !reading.ends_with(')'))
        return std::nullopt;
    std::string_view number = reading.substr(at + marker.size());
    number.remove_suffix(1);
    if (number.starts_with('+'))
        number.remove_prefix(1);
    double z = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), z);
    if (error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    return z;
}

} // namespace nutrovo::growth
