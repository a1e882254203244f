#include "uMain13/presets.h"

#include "common/widgets.h"
#include "settings/ini_file.h"
#include "uGlobal/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <climits>

namespace trassolin::gui {

QString presetFolder() {
    const QString program = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        program + QStringLiteral("/../share/trassolin/examples/vorlagen"),
        program + QStringLiteral("/vorlagen"),
        program + QStringLiteral("/examples/vorlagen"),
        QStringLiteral(TRASSOLIN_SOURCE_PRESETS_DIR),
    };
    for (const QString& folder : candidates) {
        if (QFileInfo(folder).isDir()) return QDir(folder).canonicalPath();
    }
    return {};
}

std::vector<Preset> presetsIn(const QString& folder) {
    struct Entry {
        int order;
        Preset preset;
    };
    std::vector<Entry> entries;
    if (folder.isEmpty()) return {};
    const QDir dir(folder);
    for (const QFileInfo& info :
         dir.entryInfoList({QStringLiteral("*.ini")}, QDir::Files | QDir::Readable, QDir::Name)) {
        try {
            const IniFile ini = IniFile::read(toPath(info.filePath()));
            const QString fallback = info.completeBaseName();
            entries.push_back(
                {ini.readInteger("Vorlage", "Reihenfolge", INT_MAX),
                 {toQt(ini.readString("Vorlage", "Name", toStd(fallback))),
                  toQt(ini.readString("Vorlage", "Beschreibung", "")), info.filePath()}});
        } catch (const TrassolinError&) {
            // Unreadable: not offered.
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.order < b.order; });
    std::vector<Preset> presets;
    for (Entry& e : entries)
        presets.push_back(std::move(e.preset));
    return presets;
}

std::vector<Preset> roadPresets() {
    return presetsIn(presetFolder());
}

std::vector<Preset> vergePresets() {
    const QString folder = presetFolder();
    return folder.isEmpty() ? std::vector<Preset>{} : presetsIn(folder + QStringLiteral("/rand"));
}

} // namespace trassolin::gui
