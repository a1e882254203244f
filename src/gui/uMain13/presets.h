#pragma once

#include <QString>

#include <vector>

namespace trassolin::gui {

// A parameter file shipped as a starting point ("Vorlage"): a road type, or a verge profile
// whose right edge sections the edge loads take.
struct Preset {
    QString name; // as the menu shows it: `[Vorlage]` `Name`, or the file name
    QString description;
    QString file; // full path
};

// The folder of the shipped road presets: beside the installed program
// (../share/trassolin/examples/vorlagen, or vorlagen in its own folder on Windows), else the
// source tree's examples/vorlagen; empty when there is none. Verge presets lie in its
// subfolder "rand".
QString presetFolder();

// The presets of a folder in their `[Vorlage]` `Reihenfolge`, then by name; a file that
// cannot be read is left out.
std::vector<Preset> presetsIn(const QString& folder);
std::vector<Preset> roadPresets();
std::vector<Preset> vergePresets();

} // namespace trassolin::gui
