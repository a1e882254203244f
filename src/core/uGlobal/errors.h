#pragma once

#include <stdexcept>
#include <string>

namespace trassolin {

// Every failure the core reports to a caller carries its German user text as what().
class TrassolinError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not a number: "'%s' ist kein gültiger Gleitkommawert" / "…Integerwert".
class ConversionError : public TrassolinError {
public:
    using TrassolinError::TrassolinError;
};

// A file that cannot be opened, read, written or replaced.
class IoError : public TrassolinError {
public:
    using TrassolinError::TrassolinError;
};

// Where arithmetic would produce NaN or infinity: "Ungültige Gleitkommaoperation",
// "Gleitkommadivision durch Null". Raised before such a value can reach a document.
class FloatingPointError : public TrassolinError {
public:
    using TrassolinError::TrassolinError;
};

inline constexpr const char* kInvalidFloatOperation = "Ungültige Gleitkommaoperation";
inline constexpr const char* kFloatDivisionByZero = "Gleitkommadivision durch Null";
inline constexpr const char* kFloatOverflow = "Gleitkommaüberlauf";
// What every front end says instead of std::bad_alloc's English name.
inline constexpr const char* kOutOfMemory = "Nicht genügend Arbeitsspeicher";

} // namespace trassolin
