#pragma once

// Where IEEE arithmetic would quietly give NaN or infinity, the system stops the way a
// failing floating-point operation stops, with its German message: nothing of that kind may
// reach a document, a parameter file or a drawing.

#include "uGlobal/errors.h"

#include <cmath>

namespace trassolin {

// The value itself when it is finite: NaN stops as an invalid operation, infinity as an
// overflow. Narrowing an extended value to 64 bits goes through here too.
inline double requireFinite(long double value) {
    if (std::isnan(value)) throw FloatingPointError(kInvalidFloatOperation);
    const auto stored = static_cast<double>(value);
    if (std::isinf(stored)) throw FloatingPointError(kFloatOverflow);
    return stored;
}

// a / b: 0/0 (or a NaN operand) is an invalid operation, x/0 a division by zero, a quotient
// beyond the range of a double an overflow. Works in the precision of its operands.
template <typename Real> Real checkedDivide(Real a, Real b) {
    if (std::isnan(a) || std::isnan(b)) throw FloatingPointError(kInvalidFloatOperation);
    if (b == Real(0)) {
        throw FloatingPointError(a == Real(0) ? kInvalidFloatOperation : kFloatDivisionByZero);
    }
    const Real q = a / b;
    if (std::isinf(q)) throw FloatingPointError(kFloatOverflow);
    return q;
}

// The nearest whole number, halves to even (the rounding of the windows' pixel fields). A
// value beyond the int range cannot be a pixel count: it stops as an invalid operation
// rather than wrap around in the cast.
inline int roundToInt(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw FloatingPointError(kInvalidFloatOperation);
    return static_cast<int>(r);
}

} // namespace trassolin
