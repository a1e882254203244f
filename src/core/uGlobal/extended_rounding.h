#pragma once

// Numbers typed into the windows or read from settings files and i3d exports are converted in
// x87 extended precision and then narrowed to a double, so that parameter files exchanged
// between installations give the same doubles. Doing both roundings in integer arithmetic
// gives them on every platform and compiler, whatever `long double` is there, and never asks
// the C locale (which Qt sets from the user's environment).

#include <cstdint>
#include <string_view>

namespace trassolin {

// The double that the decimal number `integerDigits`.`fractionDigits` times 10^`exponent`
// (digits only, no sign) gives when it is first rounded to a 64-bit significand
// and then to 53 bits, each to nearest with ties to even. `nearest` is the same number
// correctly rounded to a double, positive or zero (std::from_chars gives it). The result is
// `nearest` or one of its neighbours; infinity when the second rounding passes the largest double.
double roundThroughExtended(double nearest, std::string_view integerDigits,
                            std::string_view fractionDigits, std::int64_t exponent);

} // namespace trassolin
