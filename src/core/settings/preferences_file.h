#pragma once

// The preferences file keeps the six sampling preferences and the main window's position
// from one session to the next. It is independent of parameter files, although both hold
// the same six keys.

#include "settings/parameter_set.h"

#include <filesystem>
#include <string_view>

namespace trassolin {

inline constexpr std::string_view kPreferencesFileName = "Trassolin.ini";

std::filesystem::path preferencesFile(const std::filesystem::path& folder);

// Reads the file in `folder` when it exists (false otherwise, and nothing changes). A real
// that is no number throws ConversionError; the values read before it stay applied and the
// window position stays untouched.
bool readPreferencesFile(Preferences& preferences, WindowPosition& position,
                         const std::filesystem::path& folder = std::filesystem::current_path());

// Creates or updates the file, keeping its other keys; all or nothing. IoError
// "In %s kann nicht geschrieben werden" when it cannot be written.
void writePreferencesFile(const Preferences& preferences, const WindowPosition& position,
                          char decimalSeparator,
                          const std::filesystem::path& folder = std::filesystem::current_path());

} // namespace trassolin
