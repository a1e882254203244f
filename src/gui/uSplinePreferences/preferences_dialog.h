#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace trassolin {
struct Preferences;
class TFuellFlaeche;
} // namespace trassolin

namespace trassolin::gui {

class Presenter;

// "Einstellungen": the six sampling preferences and the end-face fill's texture. The fields
// are filled anew at every opening; "OK" takes them back, "Cancel" changes nothing.
class TFormPref final : public QDialog {
public:
    TFormPref(Presenter& presenter, char decimalSeparator, QWidget* parent = nullptr);

    // Shows the values, the dialog modally, and takes the values back after "OK". A field
    // that is no number stops the take-back there (ConversionError): the values before it
    // are in force, the rest keep their old values.
    void edit(Preferences& preferences, TFuellFlaeche& fill);
    // The fill texture button: a bare file name into "Textur".
    void chooseFillTexture();

    QLineEdit* field(const char* name) const;

private:
    Presenter& presenter_;
    char separator_;
    QCheckBox* symmetric_;
    QCheckBox* swap_;
    QLineEdit* texture_;
};

} // namespace trassolin::gui
