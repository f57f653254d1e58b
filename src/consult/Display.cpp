#include "consult/Display.h"

#include "numeric/DisplayText.h"

#include <cmath>

namespace nutrovo {

double Display::integer(Output field, std::int64_t value)
{
    sink_.write(field, displayText(value));
    return static_cast<double>(value);
}

double Display::number(Output field, double value)
{
    // A whole number below 10^15 has at most 15 digits: the rule's rounding
    // leaves it as it is and it shows as the integer it is. Written so, it
    // skips the costly 15-digit rounding that most shown values would pay.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return integer(field, static_cast<std::int64_t>(value));
    const std::string text = displayText(value);
    sink_.write(field, text);
    return readDisplayedNumber(text);
}

void Display::word(Output field, std::string_view text) { sink_.write(field, text); }

} // namespace nutrovo
