#include "settings/preferences_file.h"

#include "settings/ini_file.h"
#include "settings/parameter_rows.h"

#include "uGlobal/errors.h"

#include <algorithm>
#include <system_error>

namespace trassolin {

std::filesystem::path preferencesFile(const std::filesystem::path& folder) {
    return folder / kPreferencesFileName;
}

PreferencesRead readPreferencesFile(Preferences& preferences, WindowPosition& position,
                                    const std::filesystem::path& folder) {
    PreferencesRead result;
    const auto file = preferencesFile(folder);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        result.asRead = preferences;
        return result;
    }
    const IniFile ini = IniFile::read(file);
    result.found = true;
    // Missing keys give the start-up values here, not the parameter file's load defaults. A
    // value that cannot be read keeps its start value; the keys after it are read all the same.
    rows::forEach(Scope::Preferences, [&](const ParameterRow& row) {
        try {
            rows::read(ini, row, preferences, row.section, row.key, rows::Fallback::StartValue);
        } catch (const ConversionError& e) {
            rows::applyStartValue(row, preferences);
            result.unreadable.emplace_back(row.key);
            if (!result.problems.empty()) result.problems += '\n';
            result.problems += std::string(kPreferencesFileName) + " [" + std::string(row.section) +
                               "] " + std::string(row.key) + ": " + e.what();
        }
    });
    rows::forEach(Scope::WindowPosition, [&](const ParameterRow& row) {
        rows::read(ini, row, position, row.section, row.key, rows::Fallback::StartValue);
    });
    result.asRead = preferences;
    return result;
}

void writePreferencesFile(const Preferences& preferences, const WindowPosition& position,
                          char decimalSeparator, const std::filesystem::path& folder,
                          const PreferencesRead& read) {
    const auto file = preferencesFile(folder);
    IniFile ini = IniFile::readForUpdate(file);
    rows::forEach(Scope::Preferences, [&](const ParameterRow& row) {
        const bool unreadable = std::find(read.unreadable.begin(), read.unreadable.end(),
                                          row.key) != read.unreadable.end();
        if (unreadable && rows::formatted(row, preferences, '.') ==
                              rows::formatted(row, read.asRead, '.')) {
            return; // what the user wrote stays for them to mend
        }
        rows::write(ini, row, preferences, decimalSeparator);
    });
    rows::forEach(Scope::WindowPosition, [&](const ParameterRow& row) {
        rows::write(ini, row, position, decimalSeparator);
    });
    ini.save(file);
}

} // namespace trassolin
