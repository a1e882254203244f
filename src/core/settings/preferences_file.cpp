#include "settings/preferences_file.h"

#include "settings/ini_file.h"
#include "settings/parameter_rows.h"

#include <system_error>

namespace trassolin {

std::filesystem::path preferencesFile(const std::filesystem::path& folder) {
    return folder / kPreferencesFileName;
}

bool readPreferencesFile(Preferences& preferences, WindowPosition& position,
                         const std::filesystem::path& folder) {
    const auto file = preferencesFile(folder);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return false;
    const IniFile ini = IniFile::read(file);
    // Missing keys give the start-up values here, not the parameter file's load defaults.
    rows::forEach(Scope::Preferences, [&](const ParameterRow& row) {
        rows::read(ini, row, preferences, row.section, row.key, rows::Fallback::StartValue);
    });
    WindowPosition loaded = position;
    rows::forEach(Scope::WindowPosition, [&](const ParameterRow& row) {
        rows::read(ini, row, loaded, row.section, row.key, rows::Fallback::StartValue);
    });
    position = loaded;
    return true;
}

void writePreferencesFile(const Preferences& preferences, const WindowPosition& position,
                          char decimalSeparator, const std::filesystem::path& folder) {
    const auto file = preferencesFile(folder);
    IniFile ini = IniFile::readForUpdate(file);
    rows::forEach(Scope::Preferences, [&](const ParameterRow& row) {
        rows::write(ini, row, preferences, decimalSeparator);
    });
    rows::forEach(Scope::WindowPosition, [&](const ParameterRow& row) {
        rows::write(ini, row, position, decimalSeparator);
    });
    ini.save(file);
}

} // namespace trassolin
