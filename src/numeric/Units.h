// Unit conversions shared by the meal pattern and the energy estimates.
#pragma once

namespace nutrovo {

inline constexpr double kilojoulesPerKilocalorie = 4.1868;

} // namespace nutrovo
