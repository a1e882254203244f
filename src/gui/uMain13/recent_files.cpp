#include "uMain13/recent_files.h"

#include "common/widgets.h"
#include "settings/ini_file.h"
#include "uGlobal/numbers.h"
#include "settings/preferences_file.h"
#include "uGlobal/errors.h"

#include <QFileInfo>

#include <string>

namespace trassolin::gui {

namespace {

constexpr std::string_view kSection = "ZuletztGeoeffnet";

std::string key(int n) {
    return "Datei" + formatInteger(n);
}

// One file under two spellings ("a/../b.ini", "b.ini") is one entry.
QString canonical(const QString& file) {
    const QFileInfo info(file);
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

} // namespace

void RecentFiles::add(const QString& file) {
    const QString entry = canonical(file);
    files_.removeAll(entry);
    files_.prepend(entry);
    while (files_.size() > kMaximum)
        files_.removeLast();
}

void RecentFiles::remove(const QString& file) {
    files_.removeAll(file);
    files_.removeAll(canonical(file));
}

void RecentFiles::read(const std::filesystem::path& folder) {
    files_.clear();
    const auto file = preferencesFile(folder);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return;
    const IniFile ini = IniFile::read(file);
    for (int n = 1; n <= kMaximum; ++n) {
        const std::string path = ini.readString(kSection, key(n), "");
        if (!path.empty()) files_.append(toQt(path));
    }
}

void RecentFiles::write(const std::filesystem::path& folder) const {
    const auto file = preferencesFile(folder);
    IniFile ini = IniFile::readForUpdate(file);
    if (files_.isEmpty() && !ini.hasSection(kSection)) return;
    for (int n = 1; n <= kMaximum; ++n) {
        // A name with a line break cannot stand in an INI line; it is not kept.
        const QString path = n <= files_.size() ? files_[n - 1] : QString();
        const bool storable =
            !path.contains(QLatin1Char('\n')) && !path.contains(QLatin1Char('\r'));
        ini.writeString(kSection, key(n), storable ? toStd(path) : std::string());
    }
    ini.save(file);
}

} // namespace trassolin::gui
