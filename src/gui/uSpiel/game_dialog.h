#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace trassolin {
struct ParameterSet;
}

namespace trassolin::gui {

class Presenter;

// "Spiel": what the game needs of the road's shapes ([Spiel]: profile, collision, clip
// distance, shadows, normal maps, chunks) and the AI road's limits ([KI] MaxBreite,
// MaxWenderadius, MaxHoehe). Each control is named after its key with the prefix of its kind
// (cmbProfil, cboBruecke, edtSichtweite, ...). The fields show the road's values at every
// opening and keep the texts as typed; a run reads them. "OK" takes them back, "Abbrechen"
// changes nothing.
class TFormSpiel final : public QDialog {
public:
    explicit TFormSpiel(Presenter& presenter, QWidget* parent = nullptr);

    // Shows the values, the dialog modally; true when "OK" took them into `params`.
    bool edit(ParameterSet& params);

private:
    // Fields a profile does not write are greyed, and the empty fields say what they stand for.
    void profileChanged();

    Presenter& presenter_;
    QComboBox* profile_;
    QCheckBox* bridge_;
    QCheckBox* shadows_;
    QCheckBox* normalMaps_;
};

} // namespace trassolin::gui
