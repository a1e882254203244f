#pragma once

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace trassolin {
struct ParameterSet;
} // namespace trassolin

namespace trassolin::gui {

class PresenterMessageSink;
class FocusExits;

// "Fahrbahn - Textur": the road texture's fields with their pixel twins, the two options that
// exclude each other, and TexL0 with its restore button.
class RoadTextureGroup final : public QGroupBox {
public:
    // `params` holds the road texture pixel width and the previous TexL0.
    RoadTextureGroup(ParameterSet& params, PresenterMessageSink& messages, FocusExits& exits,
                     char decimalSeparator, QWidget* parent = nullptr);

    void texturePixelsLeft(); // edtTexPxlExit
    void startLeft();         // edtTexStartExit
    void endLeft();           // EdtTexEndeExit
    void startPixelsLeft();   // edtTexStartPxlExit
    void endPixelsLeft();     // EdtTexEndePxlExit
    void restoreTexL0();      // spbOldTexL0Click

    QLineEdit* fileField() const { return file_; }
    QPushButton* fileButton() const { return fileButton_; }
    QLineEdit* texL0Field() const { return texL0_; }

private:
    // round(parse(coordinate) × w) into the pixel twin.
    void showPixels(const QLineEdit* coordinate, QLineEdit* pixels);
    void showCoordinate(const QLineEdit* pixels, QLineEdit* coordinate);

    ParameterSet& params_;
    char separator_;
    QLineEdit* file_;
    QPushButton* fileButton_;
    QLineEdit* laenge_;
    QLineEdit* texPxl_;
    QLineEdit* start_;
    QLineEdit* startPxl_;
    QLineEdit* ende_;
    QLineEdit* endePxl_;
    QCheckBox* backFold_;
    QLineEdit* backFoldP_;
    QCheckBox* reset_;
    QLineEdit* texL0_;
    QToolButton* oldTexL0_;
    QLineEdit* streckung_;
};

} // namespace trassolin::gui
