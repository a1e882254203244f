#pragma once

#include "terrain/height_map.h"

#include <QDialog>

#include <filesystem>
#include <optional>

class QLineEdit;

namespace trassolin::gui {

class Presenter;

// What "Gelände" checks the road against: a map's i3d (whose terrain node names the height map,
// its scale and spacing) or a height map given directly with its scale and spacing, and the
// tolerance of the report.
struct TerrainChoice {
    std::filesystem::path mapFile;   // empty when a height map is given
    std::filesystem::path heightMap; // empty when a map is given
    TerrainPlacement placement;      // for a height map given directly
    double tolerance = 0.1;          // m
};

// "Gelände": the map or height map and the tolerance. The fields keep what was entered until
// the program ends, so that the next check starts from the same map.
class TFormGelaende final : public QDialog {
public:
    TFormGelaende(Presenter& presenter, char decimalSeparator, QWidget* parent = nullptr);

    // Shows the dialog modally; nothing after "Abbrechen". A field that is no number throws
    // ConversionError with its text; no file named is a TrassolinError.
    std::optional<TerrainChoice> ask();
    // The file button: a map (*.i3d) or a height map (*.png).
    void chooseFile();

    QLineEdit* field(const char* name) const;

private:
    // Scale and spacing are the map's own unless a height map stands in the file field.
    void fileChanged();

    Presenter& presenter_;
    QLineEdit* file_;
    QLineEdit* scale_;
    QLineEdit* spacing_;
    QLineEdit* tolerance_;
};

} // namespace trassolin::gui
