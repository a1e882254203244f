#pragma once

#include <QStringList>

#include <filesystem>

namespace trassolin::gui {

// The parameter files opened or saved last, newest first, at most eight. They are kept in the
// preferences file of the working directory (section `ZuletztGeoeffnet`, keys `Datei1` …), so
// the list belongs to the folder the program is started from, like the other preferences.
class RecentFiles {
public:
    static constexpr int kMaximum = 8;

    void add(const QString& file);
    void remove(const QString& file);
    const QStringList& files() const { return files_; }

    // Reads the list from the preferences file in `folder`; a missing file or section gives
    // an empty list.
    void read(const std::filesystem::path& folder);
    // Writes it into that file, keeping everything else in it. A file without the section
    // gets one only when there is something to keep. IoError when it cannot be written.
    void write(const std::filesystem::path& folder) const;

private:
    QStringList files_;
};

} // namespace trassolin::gui
