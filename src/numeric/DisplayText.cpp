#include "numeric/DisplayText.h"

#include "numeric/Checked.h"

#include <array>
#include <charconv>
#include <cmath>

namespace nutrovo {

std::string displayText(std::int64_t value) { return std::to_string(value); }

namespace {

constexpr int significantDigits = 15;

// Digits and decimal exponent of |value| rounded to 15 significant digits:
// value ~= 0.d1d2...d15 * 10^(exponent + 1).
struct Rounded {
    std::string digits;
    int exponent = 0;
};

Rounded roundToSignificant(double magnitude)
{
    // "d.dddddddddddddde+XX": to_chars rounds correctly from the exact binary value.
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::scientific, significantDigits - 1);
    const std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    const auto e = text.find('e');
    Rounded rounded;
    for (char c : text.substr(0, e))
        if (c != '.')
            rounded.digits.push_back(c);
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    rounded.exponent);
    while (!rounded.digits.empty() && rounded.digits.back() == '0')
        rounded.digits.pop_back();
    return rounded;
}

} // namespace

std::string displayText(double value)
{
    if (!std::isfinite(value))
        raise(std::isnan(value) ? FaultKind::InvalidOperation : FaultKind::Overflow);
    const Rounded rounded = roundToSignificant(std::fabs(value));
    if (rounded.digits.empty())
        return "0"; // also folds -0 into "0"

    std::string text = std::signbit(value) ? "-" : "";
    const int digitCount = static_cast<int>(rounded.digits.size());
    if (rounded.exponent < 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-rounded.exponent - 1), '0');
        text += rounded.digits;
        return text;
    }
    const int integerDigits = rounded.exponent + 1;
    if (digitCount <= integerDigits) {
        text += rounded.digits;
        text.append(static_cast<std::size_t>(integerDigits - digitCount), '0');
        return text;
    }
    text.append(rounded.digits, 0, static_cast<std::size_t>(integerDigits));
    text += '.';
    text.append(rounded.digits, static_cast<std::size_t>(integerDigits));
    return text;
}

double readDisplayedNumber(std::string_view text)
{
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        raise(FaultKind::InvalidOperation);
    return value;
}

} // namespace nutrovo
