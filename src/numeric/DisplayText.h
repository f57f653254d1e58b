// The one rule by which every number the window shows becomes text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nutrovo {

// Decimal digits, "-" when negative; no blank, no "+", no grouping.
std::string displayText(std::int64_t value);

// Rounded to 15 significant digits, positional notation with "." as the
// point, trailing zeros and a bare point dropped, "0" kept before the point of
// a value below 1: 170.0 -> "170", 0.1 + 0.2 -> "0.3".
std::string displayText(double value);

// Reads back a text written by displayText (always with "."), so that a value
// read back is exactly the value shown. Throws ArithmeticFault on anything else.
double readDisplayedNumber(std::string_view text);

} // namespace nutrovo
