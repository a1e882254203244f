#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace trassolin {

// Every failure the core reports to a caller carries its German user text as what().
class TrassolinError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value as a message quotes it: in single quotes, cut after 40 characters (never inside a
// UTF-8 sequence) with "…", so that a runaway value (a 100 MB attribute) gives a line, not a
// 100 MB message.
inline std::string quotedValue(std::string_view text) {
    constexpr std::size_t kShownCharacters = 40;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (characters++ == kShownCharacters) {
            return "'" + std::string(text.substr(0, i)) + "…'";
        }
    }
    return "'" + std::string(text) + "'";
}

// Where a text that is no number stood. The code that knows a part of it fills it in as the
// error passes; what() stays the bare text that the window shows.
struct ValueLocation {
    std::filesystem::path file;
    std::string section, key; // in a parameter file, or the field a run parsed
    int line = 0;             // in a spline export, counting from 1; 0 when unknown
};

// A text that is not a number: "'%s' ist kein gültiger Gleitkommawert" / "…Integerwert".
class ConversionError : public TrassolinError {
public:
    using TrassolinError::TrassolinError;
    ValueLocation where;
};

// Calls `work`; a ConversionError that leaves it gets its location completed by `locate`
// on the way out.
template <class Work, class Locate>
decltype(auto) locatingConversionErrors(Work&& work, Locate&& locate) {
    try {
        return work();
    } catch (ConversionError& e) {
        locate(e.where);
        throw;
    }
}

// A file that cannot be opened, read, written or replaced. `file()` names it even where the
// text does not (the system's words "Ungültiger Dateiname" stand alone in the window).
class IoError : public TrassolinError {
public:
    explicit IoError(const std::string& text, std::filesystem::path file = {})
        : TrassolinError(text), file_(std::move(file)) {}
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
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
