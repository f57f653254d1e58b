#include "numeric/Checked.h"

#include <limits>

namespace nutrovo {

namespace {

const char *faultMessage(FaultKind kind)
{
    switch (kind) {
    case FaultKind::Overflow:
        return "Overflow";
    case FaultKind::DivisionByZero:
        return "Division by zero";
    case FaultKind::InvalidOperation:
        return "Invalid floating-point operation";
    }
    return "Arithmetic fault";
}

} // namespace

ArithmeticFault::ArithmeticFault(FaultKind kind) : std::runtime_error(faultMessage(kind)), kind_(kind)
{
}

void raise(FaultKind kind) { throw ArithmeticFault(kind); }

std::int32_t roundHalfEvenToInt32(Real value)
{
    const double v = value.value();
    double whole = std::floor(v);
    const double fraction = v - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    // Written so that NaN, which compares false both ways, is refused too.
    if (!(whole >= lowest && whole <= highest)) // NOLINT(readability-simplify-boolean-expr)
        raise(FaultKind::Overflow);
    return static_cast<std::int32_t>(whole);
}

std::int16_t toInt16(long long value)
{
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        raise(FaultKind::Overflow);
    return static_cast<std::int16_t>(value);
}

} // namespace nutrovo
