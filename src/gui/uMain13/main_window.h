#pragma once

#include "common/presenter.h"
#include "generation/random_sequence.h"
#include "generation/run_inputs.h"
#include "settings/parameter_set.h"
#include "settings/preferences_file.h"
#include "uMain13/background_run.h"
#include "uMain13/recent_files.h"
#include "uMain13/window_state.h"

#include <QMainWindow>
#include <QPointer>

#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QDockWidget;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSplitter;

namespace trassolin::gui {

class EdgePanel;
class EditHistory;
class FocusExits;
class PreviewPanel;
class RoadTextureGroup;
class SplinePointEditor;
class TForm2;
class TFormGelaende;
class TFormPref;
class TFormSpiel;
class TfrmShowParameter;
struct Preset;

// The main window: every parameter of a run in its fields, the model objects (spline points,
// both edge profiles, the end-face fill) and the status log. Field texts stay texts until a
// run, a save or an editor's commit reads them. The menu bar offers the buttons' reactions
// with keys, the presets, the files opened last, and undo and redo of every edit.
class TForm1 final : public QMainWindow {
public:
    // Start-up: the model objects, the preferences from "Trassolin.ini" in the working
    // directory and the window's place; then the secondary windows, hidden.
    explicit TForm1(Presenter& presenter, QWidget* parent = nullptr);
    ~TForm1() override;

    void bbnSaveClick();
    void btnGltfFileClick();
    void bbnGoClick();
    void textureButtonClick(const QString& buttonName); // bbnLoadFahrbahnTexClick
    void bbnSplinePtsOpenClick();
    void bbnSaveParaClick();            // also "Speichern unter"
    void bbnLoadParaClick();            // also "Öffnen"
    void edgeLoadParaClick(bool right); // bbnRandRLoadParaClick / bbnRandLLoadParaClick
    void showParameterClick(bool right);
    void bbnPreferencesClick();
    void bbnGrafikSchnittClick();
    void bbnSpielClick();   // the game's settings (uSpiel)
    void bbnPruefenClick(); // the road's curves checked as the game drives them
    // "Gelände": the road against the ground of a map, reported in the status log.
    void bbnGelaendeClick();
    void bbnCopyMemoClick();
    void bbnInfoClick();

    // Reads a whole parameter file into a copy of the road and shows it only when the file
    // was read without error; otherwise the window stays exactly as it was. Asks first when
    // the road shown has unsaved edits.
    void openRoad(const QString& file);
    // "i3d-File" with the file already chosen: the output Go writes.
    void chooseOutput(const QString& file);
    // The program's command line, once the window shows: `trassolin PARAMETER.ini` opens the
    // file as "Öffnen" does, so that a parameter file dropped on the program, or opened with it
    // from the file manager, comes up loaded. What goes wrong is said in the window's boxes.
    void openCommandLine(const QStringList& arguments);
    // A road of start values ("Neu"), or of a shipped preset: nothing to save yet.
    void newRoad();
    void loadPreset(const Preset& preset);
    // One edge from a parameter file or a verge preset (its right edge sections), all or
    // nothing like openRoad.
    void loadEdge(bool right, const QString& file);
    // "Speichern": into the file the road came from or went to; asks for one when there is
    // none. False when nothing was saved (cancelled or failed).
    bool saveRoad();
    bool saveRoadAs();
    void undo();
    void redo();

    ParameterSet& parameters() { return params_; }
    EdgePanel& rightEdge() const { return *right_; }
    EdgePanel& leftEdge() const { return *left_; }
    SplinePointEditor& splineEditor() const { return *splines_; }
    EditHistory& history() const { return *history_; }
    const RecentFiles& recentFiles() const { return recent_; }
    char decimalSeparator() const { return separator_; }
    PreviewPanel& preview() const { return *preview_; }
    // A run started by "Go" is under way on its thread.
    bool running() const;
    // "Abbrechen": the run stops; its documents stay as they were.
    void cancelRun();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildTopRow();
    QWidget* buildRoadColumn();
    void buildMenu();
    // The 3D preview in a dock beside the fields, rebuilt after every edit.
    void buildPreview();
    // The road of the fields into the preview, built off this thread.
    void showRoadInPreview();
    void showSelectionInPreview();
    // The progress bar and "Abbrechen" of a run, shown while it goes on.
    void addRunBar(QHBoxLayout* row);
    void showProgress(double doneMetres, double totalMetres);
    // While a run goes on, neither another run nor another road can be started.
    void setRunning(bool on);
    void runFinished(BackgroundRun::Outcome& outcome);
    void refreshRecentMenu();
    void connectReactions();
    void placeWindow();
    // Holder 1 of the parameter set: field texts and check boxes to and from the set.
    void fieldsToParameters();
    // The fields as a run reads them (Go, Gelände): an edit made just before as a step of its
    // own, the enabled edges recomputed, the fields in the set; returns what reads the edges'
    // texture fields when the run asks.
    EdgeFieldReader fieldsForRun();
    void showFields();
    // Every field, box and editor from the parameter set, without running their reactions:
    // the set holds what those reactions made of it.
    void showParameters();
    void fillClicked(bool on); // cboRandFuellenClick
    std::optional<QString> askParameterFile(const QString& title);

    WindowState captureState();
    void applyState(const WindowState& state, bool withFile);
    // Shows a state read into a copy, as one step of the history.
    void adopt(const WindowState& state, const QString& step, bool asSaved);
    // What the menu's keys need before they act as a click would: the field being edited is
    // left, and so committed.
    void leaveField();
    // The editors' typed values into their models, as the selection of a segment or point
    // would commit them, without selecting anything.
    void commitEditors();
    // "Änderungen speichern?" when the road has unsaved edits; false: the user cancelled.
    bool mayDiscardRoad();
    void writeRoad(const QString& file);
    // Another road replaces the one shown: the output is cleared when a run wrote the
    // previous road into it or it was chosen for `anotherFile`'s road.
    void forgetOutput(bool anotherFile);
    void setGoEnabled(bool on);
    // The road with one edge read from a parameter file; throws and changes nothing when the
    // file cannot be read.
    WindowState readEdge(bool right, const QString& file);
    // A newly switched-on verge starts from the first verge preset, not from zeros.
    void startVerge(bool right);
    FailureText describe(const TrassolinError& error);
    QLineEdit* fieldOf(const std::string& section, const std::string& key);
    QString describeStep(const WindowState& before, const WindowState& after);

    Presenter& presenter_;
    PresenterMessageSink messages_;
    char separator_;
    ParameterSet params_;
    PreferencesRead preferencesRead_; // what start-up found in Trassolin.ini
    RandomSequence random_; // continues from run to run while the program runs
    FocusExits* exits_;
    EditHistory* history_ = nullptr;
    RecentFiles recent_;
    QString roadFile_;           // the parameter file the road was loaded from or saved to
    bool outputWritten_ = false; // a run wrote the road shown into the output file
    bool goWanted_ = false;      // an output is chosen: Go is enabled whenever no run goes on

    QPushButton* save_ = nullptr;
    QLineEdit* fileName_ = nullptr;
    QLineEdit* gltfFile_ = nullptr; // empty: Go writes no glTF
    QPushButton* go_ = nullptr;
    RoadTextureGroup* roadTexture_ = nullptr;
    SplinePointEditor* splines_ = nullptr;
    EdgePanel* right_ = nullptr;
    EdgePanel* left_ = nullptr;
    QCheckBox* fill_ = nullptr;
    QLabel* parameter1_ = nullptr;
    QLabel* parameter_ = nullptr;
    QPlainTextEdit* status_ = nullptr;
    QWidget* top_ = nullptr;     // output file, shape name and "Go"
    QWidget* content_ = nullptr; // the three columns
    QScrollArea* scroll_ = nullptr;
    QSplitter* split_ = nullptr; // between the fields and the status log

    QAction* goAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QMenu* recentMenu_ = nullptr;

    BackgroundRun* run_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    // The running run's documents and whether each existed before it: what a stop leaves.
    std::filesystem::path runOutput_, runGltf_;
    bool outputExisted_ = false, gltfExisted_ = false;
    // The road the run builds: the history's step and the file when it started.
    int historyAtRun_ = 0;
    QString roadFileAtRun_;
    std::vector<std::pair<QPointer<QObject>, bool>> lockedByRun_; // and their states before
    PreviewPanel* preview_ = nullptr;
    QDockWidget* previewDock_ = nullptr;

    TFormPref* prefs_ = nullptr;
    TFormSpiel* spiel_ = nullptr;
    TForm2* grafik_ = nullptr;
    TfrmShowParameter* showParameter_ = nullptr;
    TFormGelaende* gelaende_ = nullptr;
};

} // namespace trassolin::gui
