// The inputs of one consultation. Plain data: the window owns one for its
// whole life, and every output is recomputed from it.
#pragma once

#include <cstdint>

namespace nutrovo {

struct ConsultState {
    std::int16_t starchServ = 0;
    std::int16_t protServ = 0;
    std::int16_t milkServ = 0;
    std::int16_t milkType = 1; // row of the milk list: grams of fat per dairy serving
    std::int16_t vegServ = 0;
    std::int16_t fatServ = 0;
    std::int16_t sugarServ = 0;
    std::int16_t sexIndex = 0; // 0 male, any other value female
    double activity = 1.3;
    // Not a value any height row yields; start-up replaces it at once.
    double heightCm = 170.0;
    std::int32_t weightKg = 70;
    std::int32_t ageYears = 30;

    friend bool operator==(const ConsultState &, const ConsultState &) = default;
};

} // namespace nutrovo
