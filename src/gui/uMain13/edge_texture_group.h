#pragma once

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace trassolin {
class TRandPunkte;
} // namespace trassolin

namespace trassolin::gui {

class PresenterMessageSink;
class FocusExits;

// The texture group of one edge ("Rechter Rand " / "Linker Rand "): texture file, length,
// width in metres and pixels, reset instead of mirror, and "Breite -> U".
class EdgeTextureGroup final : public QGroupBox {
public:
    EdgeTextureGroup(TRandPunkte& profile, PresenterMessageSink& messages, FocusExits& exits,
                     char decimalSeparator, bool right, QWidget* parent = nullptr);

    // Commit texture group (`gboRandRExit`); nothing while the edge is switched off.
    void commit();
    // The run's reading of the fields into the profile, in the run's order.
    void readForRun();
    void showTexture();

    QLineEdit* fileField() const { return file_; }
    QLineEdit* widthField() const { return breite_; }
    QPushButton* fileButton() const { return fileButton_; }
    QPushButton* computeUButton() const { return calcU_; }

private:
    TRandPunkte& profile_;
    char separator_;
    QLineEdit* file_;
    QPushButton* fileButton_;
    QLineEdit* laenge_;
    QLineEdit* breite_;
    QLineEdit* pixel_;
    QCheckBox* reset_;
    QPushButton* calcU_;
};

} // namespace trassolin::gui
