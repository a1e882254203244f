#pragma once

// The preferences file keeps the six sampling preferences and the main window's position
// from one session to the next. It is independent of parameter files, although both hold
// the same six keys.

#include "settings/parameter_set.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace trassolin {

inline constexpr std::string_view kPreferencesFileName = "Trassolin.ini";

std::filesystem::path preferencesFile(const std::filesystem::path& folder);

// What reading the preferences file found.
struct PreferencesRead {
    bool found = false; // the file exists and was read
    // The keys whose value is no number: they keep the start value, and the file keeps what
    // it holds for them until that start value is changed.
    std::vector<std::string> unreadable;
    Preferences asRead; // the preferences right after the read
    // One line per unreadable key: "Trassolin.ini [Preferences] minWinkel: 'x' ist kein
    // gültiger Gleitkommawert"; empty when every key was read.
    std::string problems;
};

// Reads the file in `folder` when it exists (found false otherwise, and nothing changes). A
// real that is no number stops nothing: every other key is read, and the problem is named.
// An integer that is no whole number gives the key's start value, as a parameter file does.
PreferencesRead readPreferencesFile(
    Preferences& preferences, WindowPosition& position,
    const std::filesystem::path& folder = std::filesystem::current_path());

// Creates or updates the file, keeping its other keys; all or nothing. The keys `read` found
// unreadable stay as the file has them while their value is still the one that took their
// place. IoError "In %s kann nicht geschrieben werden" when it cannot be written.
void writePreferencesFile(const Preferences& preferences, const WindowPosition& position,
                          char decimalSeparator,
                          const std::filesystem::path& folder = std::filesystem::current_path(),
                          const PreferencesRead& read = {});

} // namespace trassolin
