#pragma once

#include "common/presenter.h"
#include "generation/random_sequence.h"
#include "settings/parameter_set.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace trassolin::gui {

class EdgePanel;
class FocusExits;
class RoadTextureGroup;
class SplinePointEditor;
class TForm2;
class TFormPref;
class TfrmShowParameter;

// The main window: every parameter of a run in its fields, the model objects (spline points,
// both edge profiles, the end-face fill) and the status log. Field texts stay texts until a
// run, a save or an editor's commit reads them.
class TForm1 final : public QWidget {
public:
    // Start-up: the model objects, the preferences from "Trassolin.ini" in the working
    // directory and the window's place; then the secondary windows, hidden.
    explicit TForm1(Presenter& presenter, QWidget* parent = nullptr);
    ~TForm1() override;

    void bbnSaveClick();
    void bbnGoClick();
    void textureButtonClick(const QString& buttonName); // bbnLoadFahrbahnTexClick
    void bbnSplinePtsOpenClick();
    void bbnSaveParaClick();
    void bbnLoadParaClick();
    // The two buttons' work once the file is chosen (by the dialog, or on the command line).
    void chooseOutput(const QString& file);
    void loadParameters(const QString& file);
    void edgeLoadParaClick(bool right); // bbnRandRLoadParaClick / bbnRandLLoadParaClick
    void showParameterClick(bool right);
    void bbnPreferencesClick();
    void bbnGrafikSchnittClick();
    void bbnCopyMemoClick();
    void bbnInfoClick();

    ParameterSet& parameters() { return params_; }
    EdgePanel& rightEdge() const { return *right_; }
    EdgePanel& leftEdge() const { return *left_; }
    SplinePointEditor& splineEditor() const { return *splines_; }
    char decimalSeparator() const { return separator_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildTopRow();
    QWidget* buildRoadColumn();
    void connectReactions();
    void placeWindow();
    // Holder 1 of the parameter set: field texts and check boxes to and from the set.
    void fieldsToParameters();
    void parametersToFields();
    void fillClicked(bool on); // cboRandFuellenClick
    std::optional<QString> askParameterFile(const QString& title);

    Presenter& presenter_;
    PresenterMessageSink messages_;
    char separator_;
    ParameterSet params_;
    RandomSequence random_; // continues from run to run while the program runs
    FocusExits* exits_;

    QPushButton* save_ = nullptr;
    QLineEdit* fileName_ = nullptr;
    QPushButton* go_ = nullptr;
    RoadTextureGroup* roadTexture_ = nullptr;
    SplinePointEditor* splines_ = nullptr;
    EdgePanel* right_ = nullptr;
    EdgePanel* left_ = nullptr;
    QCheckBox* fill_ = nullptr;
    QLabel* parameter1_ = nullptr;
    QLabel* parameter_ = nullptr;
    QPlainTextEdit* status_ = nullptr;
    QWidget* content_ = nullptr; // everything above the button row
    QSplitter* split_ = nullptr;  // between the fields and the status log

    TFormPref* prefs_ = nullptr;
    TForm2* grafik_ = nullptr;
    TfrmShowParameter* showParameter_ = nullptr;
};

} // namespace trassolin::gui
