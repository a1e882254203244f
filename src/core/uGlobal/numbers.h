#pragma once

// The one home of numbers as text. Every reader of a real number goes through
// parseTolerantReal, every writer through formatGeneral or formatFixed. None of them
// depends on the C locale: Qt sets it from the user's environment, and files written
// with a decimal comma must load on a machine with a decimal point and the reverse.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trassolin {

// Text to double, accepting ',' or '.' as the decimal separator (at most one of them),
// an optional sign and an optional exponent ("E"/"e"). Leading and trailing blanks are
// ignored. "inf", "nan", hexadecimal floats, thousands separators and values beyond the
// range of a double are rejected with ConversionError "'text' ist kein gültiger Gleitkommawert".
// The number is rounded to a 64-bit significand (the x87 extended format) and that to a double,
// ties to even each time: "3537177.685930148" gives 3537177.6859301478, not ...148.
double parseTolerantReal(std::string_view text);

// Plain decimal 32-bit integer with optional sign and surrounding blanks; anything else
// throws ConversionError "'text' ist kein gültiger Integerwert".
std::int32_t parseStrictInteger(std::string_view text);

// An integer as the profile reader of the parameter files takes it: optional sign, then
// decimal digits or hexadecimal digits after "$" or "0x", blanks and tabs around; nullopt for
// any other text or a value beyond 32 bits.
std::optional<std::int32_t> parseProfileInteger(std::string_view text);

// Plain decimal, '-' for negative values.
std::string formatInteger(std::int64_t value);

// The text between the first `open` in `source` and the next `close` after it.
// Leaves `out` untouched and returns false when either marker is missing.
bool textBetweenMarkers(std::string_view source, std::string_view open, std::string_view close,
                        std::string& out);

// Rounds to 10^k (k = -2 keeps two decimals): value / 10^k to the nearest whole number, ties
// to even, times 10^k, each a double operation with the double nearest 10^k. So 1.0635 keeps
// 1.063 (its quotient is 1063.4999999999998) and 0.469 gives 0.46900000000000003. A value
// whose quotient would overflow comes back unchanged.
double decimalRound(double value, std::int8_t k);

// Shortest text with at most 15 significant digits; fixed notation for magnitudes from
// 0.00001 up to 15 integer digits, otherwise "1,5E-6" style. Negative zero is "0".
// Throws FloatingPointError for NaN or infinity.
std::string formatGeneral(double value, char decimalSeparator);

// A whole number with a point between thousands, as the messages write large counts
// ("50.000.000"); rounded to the nearest whole number. Beyond 10^18 the general form.
std::string formatGrouped(double value);

// The document form "0.0000": always '.', four decimals, rounded half away from zero on
// the 18-significant-digit decimal expansion; a value that rounds to zero has no sign.
// Throws FloatingPointError for NaN or infinity.
std::string formatFixed(double value);
// Appends the fixed form to `out` without a temporary string.
void appendFixed(std::string& out, double value);
// Writes the fixed form at `out`, which must have room for kFixedMaxChars characters, and
// returns the end (the document writer's hot path). Throws FloatingPointError as formatFixed.
inline constexpr std::size_t kFixedMaxChars = 32;
char* writeFixed(char* out, double value);
// The fixed form by the 18-digit expansion alone, without the shortcut that formatFixed takes
// where the rounding is certain from the scaled double; the reference that shortcut is checked
// against.
std::string formatFixedExact(double value);

// The shortest text that reads back as exactly `value`: '.' as separator, an exponent where
// that is shorter ("1e-05"); the number form of JSON files. Throws FloatingPointError for NaN
// or infinity.
void appendShortest(std::string& out, double value);

// The decimal separator of the user's environment locale (LC_ALL, then LC_NUMERIC, then
// LANG). Only the front ends use it as their default; the core always takes a parameter.
char environmentDecimalSeparator();
// The same decision for a given locale name such as "de_DE.UTF-8" or "en_GB".
char decimalSeparatorForLocale(std::string_view localeName);

} // namespace trassolin
