// Guarded arithmetic for every calculation of the planner.
//
// The energy and meal-pattern figures are read by a dietitian with a client in
// the room, so a silent wrap-around or NaN is worse than stopping: every
// integer step is overflow-checked and every floating-point step is checked for
// overflow, division by zero and invalid operation. A tripped check throws
// ArithmeticFault; the window layer catches it in one place.
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace nutrovo {

enum class FaultKind { Overflow, DivisionByZero, InvalidOperation };

class ArithmeticFault : public std::runtime_error {
public:
    explicit ArithmeticFault(FaultKind kind);
    FaultKind kind() const noexcept { return kind_; }

private:
    FaultKind kind_;
};

[[noreturn]] void raise(FaultKind kind);

template <typename T> T checkedAdd(T a, T b)
{
    T result;
    if (__builtin_add_overflow(a, b, &result))
        raise(FaultKind::Overflow);
    return result;
}

template <typename T> T checkedSub(T a, T b)
{
    T result;
    if (__builtin_sub_overflow(a, b, &result))
        raise(FaultKind::Overflow);
    return result;
}

template <typename T> T checkedMul(T a, T b)
{
    T result;
    if (__builtin_mul_overflow(a, b, &result))
        raise(FaultKind::Overflow);
    return result;
}

// A double whose every operation is checked. Formulas are written with Real
// operands so that the evaluation order of the source is the order computed
// (the build disables contraction into fused multiply-adds).
class Real {
public:
    // Implicit on purpose: formulas mix Real values with plain literals.
    // cppcheck-suppress noExplicitConstructor
    constexpr Real(double value) : value_(value) {} // NOLINT(google-explicit-constructor)
    constexpr double value() const noexcept { return value_; }

    static Real checked(double result)
    {
        if (std::isnan(result))
            raise(FaultKind::InvalidOperation);
        if (std::isinf(result))
            raise(FaultKind::Overflow);
        return Real(result);
    }

private:
    double value_;
};

inline Real operator+(Real a, Real b) { return Real::checked(a.value() + b.value()); }
inline Real operator-(Real a, Real b) { return Real::checked(a.value() - b.value()); }
inline Real operator*(Real a, Real b) { return Real::checked(a.value() * b.value()); }

inline Real operator/(Real a, Real b)
{
    if (b.value() == 0.0)
        raise(a.value() == 0.0 ? FaultKind::InvalidOperation : FaultKind::DivisionByZero);
    return Real::checked(a.value() / b.value());
}

inline Real floor(Real a) { return Real::checked(std::floor(a.value())); }

// Rounds to the nearest whole number, halves to the even neighbour, and
// narrows to 32 bits with an overflow check.
std::int32_t roundHalfEvenToInt32(Real value);

// Narrows an index reported by the toolkit to the 16-bit row index the
// conversions work with.
std::int16_t toInt16(long long value);

} // namespace nutrovo
