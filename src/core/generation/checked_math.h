#pragma once

#include "uGlobal/errors.h"

#include <cmath>

namespace trassolin {

// a / b, stopping where IEEE arithmetic would give NaN or infinity: 0/0 (or a NaN operand)
// is an invalid operation, x/0 a division by zero. The run must never carry such a value
// into a document.
inline double checkedDivide(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) throw FloatingPointError(kInvalidFloatOperation);
    if (b == 0.0) {
        throw FloatingPointError(a == 0.0 ? kInvalidFloatOperation : kFloatDivisionByZero);
    }
    const double q = a / b;
    if (!std::isfinite(q)) throw FloatingPointError(kFloatOverflow);
    return q;
}

} // namespace trassolin
