#include "consult/Display.h"

#include "numeric/DisplayText.h"

namespace nutrovo {

double Display::integer(Output field, std::int64_t value)
{
    sink_.write(field, displayText(value));
    return static_cast<double>(value);
}

double Display::number(Output field, double value)
{
    const std::string text = displayText(value);
    sink_.write(field, text);
    return readDisplayedNumber(text);
}

void Display::word(Output field, std::string_view text) { sink_.write(field, text); }

} // namespace nutrovo
