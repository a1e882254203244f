// The main window's buttons: output file, texture files, spline import, parameter files,
// the secondary windows, the status log and the about box.

#include "uMain13/main_window.h"

#include "common/focus_exits.h"
#include "common/widgets.h"
#include "generation/check.h"
#include "io/paths.h"
#include "settings/parameter_file.h"
#include "uGrafik/cross_section_window.h"
#include "uMain13/edge_panel.h"
#include "uMain13/edge_texture_group.h"
#include "uMain13/edit_history.h"
#include "uMain13/presets.h"
#include "uMain13/road_texture_group.h"
#include "uMain13/segment_editor.h"
#include "uMain13/spline_point_editor.h"
#include "uShowParameter/parameter_display.h"
#include "uSpiel/game_dialog.h"
#include "uSplinePreferences/preferences_dialog.h"
#include "uVorschau/preview_panel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include <filesystem>

namespace trassolin::gui {

namespace {

const QString kParameterFilter = QStringLiteral("Parameter (*.ini);;Alle Dateien (*)");

} // namespace

void TForm1::bbnSaveClick() {
    const auto file = presenter_.saveFileName(
        this, {QStringLiteral("Ausgabedatei wählen"), QStringLiteral("test.i3d"),
               QStringLiteral("Giants-Editor (*.i3d);;alle Dateien (*)"), QStringLiteral("i3d")});
    if (file) chooseOutput(*file);
}

void TForm1::chooseOutput(const QString& file) {
    fileName_->setText(file);
    outputWritten_ = false;
    setGoEnabled(true);
}

void TForm1::setGoEnabled(bool on) {
    goWanted_ = on;
    // Not while a run goes on: it ends with Go as wanted by then.
    go_->setEnabled(on && !running());
    if (goAction_ != nullptr) goAction_->setEnabled(on && !running());
}

void TForm1::forgetOutput(bool anotherFile) {
    // An output that holds the previous road, or was chosen for another file's road, must not
    // be written over by Go with this one.
    if (!anotherFile && !outputWritten_) return;
    outputWritten_ = false;
    if (!goWanted_) return;
    fileName_->clear();
    setGoEnabled(false);
}

void TForm1::btnGltfFileClick() {
    const auto file = presenter_.saveFileName(
        this, {QStringLiteral("glTF-Datei wählen"), QStringLiteral("test.glb"),
               QStringLiteral("glTF binär (*.glb);;glTF Text (*.gltf);;alle Dateien (*)"),
               QStringLiteral("glb")});
    if (file) gltfFile_->setText(*file);
}

EdgeFieldReader TForm1::fieldsForRun() {
    // An edit made just before is a step of its own, not part of the run's.
    history_->recordNow();
    for (EdgePanel* edge : {right_, left_}) {
        if (edge->profile().enabled) edge->recomputeSilently();
    }
    fieldsToParameters();
    return [this](TRandPunkte& edge) {
        (&edge == &params_.rechterRand ? right_ : left_)->texture()->readForRun(edge);
    };
}

void TForm1::bbnSpielClick() {
    history_->recordNow();
    if (spiel_->edit(params_)) history_->recordNow(QStringLiteral("Spiel"));
}

void TForm1::bbnPruefenClick() {
    const WaitCursor wait;
    // The road Go would build now: the fields as they stand, the next numbers of the
    // random sequence, which the check draws from a copy.
    const EdgeFieldReader readEdgeFields = fieldsForRun();
    for (EdgePanel* edge : {right_, left_}) {
        if (edge->profile().enabled) readEdgeFields(edge->profile());
    }
    const auto check = checkRoad(params_, messages_, random_, separator_);
    if (!check) return;
    QString report = QStringLiteral("Prüfen der Verkehrskurven:");
    for (const std::string& line : check->lines) report += QLatin1Char('\n') + toQt(line);
    status_->setPlainText(report);
}

void TForm1::textureButtonClick(const QString& buttonName) {
    const auto file = presenter_.openFileName(
        this, {QStringLiteral("Texturdatei wählen"), QStringLiteral("test.dds"),
               QStringLiteral("dds-Bilder (*.dds);;Alle Dateien (*)"), QString()});
    if (!file) return;
    // Documents name texture files without their folder.
    const QString bare = QFileInfo(*file).fileName();
    if (buttonName == QLatin1String("bbnLoadFahrbahnTex")) {
        roadTexture_->fileField()->setText(bare);
        return;
    }
    EdgePanel* panel = buttonName == QLatin1String("bbnRandRLoadTex") ? right_ : left_;
    panel->texture()->fileField()->setText(bare);
    panel->texture()->commit();
}

void TForm1::bbnSplinePtsOpenClick() {
    const auto file = presenter_.openFileName(
        this, {QStringLiteral("Spline-Punkte laden"), QStringLiteral("test.i3d"),
               QStringLiteral("i3d (*.i3d);;alle Dateien (*)"), QString()});
    if (!file) return;
    splines_->selectPoint(1);
    const auto path = toPath(*file);
    ImportReport report;
    try {
        report = params_.splines.importFromI3d(path);
    } catch (...) {
        splines_->showPoint();
        throw;
    }
    // The parameter file records where the points came from, wherever it is opened later.
    params_.splines.setFileName(displayPath(std::filesystem::absolute(path)));
    splines_->showPoint();
    checkImportedPoints(params_.splines, report, toStd(QFileInfo(*file).fileName()), messages_,
                        separator_, "„Richtungen berechnen“");
    history_->recordNow(QStringLiteral("Spline-Punkte importieren"));
}

std::optional<QString> TForm1::askParameterFile(const QString& title) {
    return presenter_.openFileName(
        this, {title, QStringLiteral("Parameter.ini"), kParameterFilter, QStringLiteral("ini")});
}

void TForm1::bbnSaveParaClick() {
    saveRoadAs();
}

bool TForm1::saveRoadAs() {
    // The road's own file is offered, so that saving back is one confirmation.
    const auto file = presenter_.saveFileName(
        this, {QStringLiteral("Parameter speichern"),
               roadFile_.isEmpty() ? QStringLiteral("Parameter.ini") : roadFile_,
               QStringLiteral("Parameter (*.ini);;alle Dateien (*)"), QStringLiteral("ini")});
    if (!file) return false;
    writeRoad(*file);
    return true;
}

bool TForm1::saveRoad() {
    if (roadFile_.isEmpty()) return saveRoadAs();
    writeRoad(roadFile_);
    return true;
}

void TForm1::writeRoad(const QString& file) {
    fieldsToParameters();
    saveParameterFile(toPath(file), params_, separator_);
    // Only a file that was written is named as saved.
    parameter1_->setText(QStringLiteral("Parameter gespeichert in"));
    parameter_->setText(QFileInfo(file).fileName());
    roadFile_ = file;
    recent_.add(file);
    refreshRecentMenu();
    history_->markSaved();
}

bool TForm1::mayDiscardRoad() {
    if (!history_->unsaved()) return true;
    // Which edits: after a run that is only TexL0, which is news to many.
    QStringList steps = history_->stepsSinceSaved();
    if (steps.size() > 4) {
        steps = steps.mid(steps.size() - 4);
        steps.prepend(QStringLiteral("…"));
    }
    const QString which =
        steps.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(steps.join(", "));
    const int choice = presenter_.choose(
        this, QStringLiteral("Trassolin"),
        QStringLiteral("Die Straße „%1“ hat ungespeicherte Änderungen%2.\n\nÄnderungen speichern?")
            .arg(toQt(params_.strassenName), which),
        {QStringLiteral("Speichern"), QStringLiteral("Verwerfen"), QStringLiteral("Abbrechen")});
    if (choice == 0) return saveRoad();
    return choice == 1;
}

void TForm1::leaveField() {
    const QWidget* focused = QApplication::focusWidget();
    if (focused != nullptr && content_->isAncestorOf(focused))
        content_->setFocus(Qt::OtherFocusReason);
}

void TForm1::commitEditors() {
    for (EdgePanel* panel : {right_, left_}) {
        if (panel->profile().enabled) panel->segments()->commitThenSelect();
    }
    splines_->commitThenSelect();
}

void TForm1::adopt(const WindowState& state, const QString& step, bool asSaved) {
    history_->recordNow();
    applyState(state, true);
    history_->recordNow(step);
    if (asSaved) history_->markSaved();
}

void TForm1::bbnLoadParaClick() {
    const auto file = askParameterFile(QStringLiteral("Parameter laden"));
    if (!file) return;
    openRoad(*file);
}

void TForm1::openRoad(const QString& file) {
    // Typed texts reach the segments and the point before the road is replaced.
    commitEditors();
    if (!mayDiscardRoad()) return;
    // Read into a copy: a value that is no number stops the load, and the window keeps the
    // road it showed instead of a mix of two.
    WindowState next = captureState();
    CollectingMessageSink loadMessages;
    loadParameterFile(toPath(file), next.params, loadMessages);
    for (const Message& m : loadMessages.messages)
        messages_.show(m.kind, m.text);
    // Only a file that was read completely is named as loaded.
    next.caption = QStringLiteral("Parameter geladen aus");
    next.fileName = QFileInfo(file).fileName();
    next.roadFile = file;
    forgetOutput(!roadFile_.isEmpty() && QFileInfo(file) != QFileInfo(roadFile_));
    preview_->forgetGround(); // a road loaded may lie on another map
    adopt(next, QStringLiteral("Laden: %1").arg(next.fileName), true);
    recent_.add(file);
    refreshRecentMenu();
}

void TForm1::newRoad() {
    commitEditors();
    if (!mayDiscardRoad()) return;
    WindowState next = captureState();
    // Start values; the sampling preferences are the user's, not the road's.
    next.params = ParameterSet{};
    next.params.preferences = params_.preferences;
    next.params.previousTexL0 = params_.previousTexL0;
    next.params.roadTexturePixels = params_.roadTexturePixels;
    next.caption.clear();
    next.fileName = QStringLiteral("frei eingegeben");
    next.roadFile.clear();
    forgetOutput(!roadFile_.isEmpty());
    preview_->forgetGround();
    adopt(next, QStringLiteral("Neu"), true);
}

void TForm1::loadPreset(const Preset& preset) {
    commitEditors();
    if (!mayDiscardRoad()) return;
    WindowState next = captureState();
    CollectingMessageSink loadMessages;
    loadParameterFile(toPath(preset.file), next.params, loadMessages);
    for (const Message& m : loadMessages.messages)
        messages_.show(m.kind, m.text);
    // A preset is where a road starts, not its file: "Speichern" asks for one.
    next.caption = QStringLiteral("Vorlage");
    next.fileName = preset.name;
    next.roadFile.clear();
    forgetOutput(!roadFile_.isEmpty());
    preview_->forgetGround();
    adopt(next, QStringLiteral("Vorlage: %1").arg(preset.name), true);
}

void TForm1::edgeLoadParaClick(bool right) {
    const auto file = askParameterFile(right ? QStringLiteral("Parameter für rechten Rand laden")
                                             : QStringLiteral("Parameter für linken Rand laden"));
    if (!file) return;
    loadEdge(right, *file);
}

WindowState TForm1::readEdge(bool right, const QString& file) {
    WindowState next = captureState();
    CollectingMessageSink loadMessages;
    loadEdgeFromParameterFile(toPath(file), next.params, right ? EdgeSide::Right : EdgeSide::Left,
                              loadMessages);
    for (const Message& m : loadMessages.messages)
        messages_.show(m.kind, m.text);
    return next;
}

void TForm1::loadEdge(bool right, const QString& file) {
    EdgePanel* panel = right ? right_ : left_;
    if (panel->profile().enabled) panel->segments()->commitThenSelect();
    adopt(readEdge(right, file),
          (right ? QStringLiteral("Rechter Rand: %1") : QStringLiteral("Linker Rand: %1"))
              .arg(QFileInfo(file).completeBaseName()),
          false);
}

void TForm1::startVerge(bool right) {
    EdgePanel* panel = right ? right_ : left_;
    const auto presets = vergePresets();
    if (!panel->profile().enabled || !untouchedProfile(panel->profile()) || presets.empty()) {
        return;
    }
    // A profile of zeros gives a warning per segment and a run that cannot texture the
    // verge; the first preset is a verge that works. Part of the click that switched the
    // edge on, so one undo takes both back.
    applyState(readEdge(right, presets.front().file), false);
}

void TForm1::undo() {
    if (running()) return;
    leaveField();
    history_->recordNow();
    history_->stack().undo();
}

void TForm1::redo() {
    if (running()) return;
    leaveField();
    history_->recordNow();
    history_->stack().redo();
}

void TForm1::showParameterClick(bool right) {
    const TRandPunkte& profile = right ? params_.rechterRand : params_.linkerRand;
    std::vector<std::string> lines;
    profile.listing(lines, separator_);
    showParameter_->showListing(right ? QStringLiteral("Parameter rechter Rand")
                                      : QStringLiteral("Parameter linker Rand"),
                                lines);
}

void TForm1::bbnPreferencesClick() {
    prefs_->edit(params_.preferences, params_.fill);
}

void TForm1::bbnGrafikSchnittClick() {
    right_->segments()->selectSegment(1);
    left_->segments()->selectSegment(1);
    const double roadWidth = parseField(findChild<QLineEdit*>(QStringLiteral("edtBreite")));
    // What the commits had to say comes before the graphic, not after it.
    messages_.flush();
    grafik_->showFor(roadWidth);
    for (EdgePanel* panel : {right_, left_}) {
        panel->profile().current = panel->segments()->spin()->value();
        panel->showEdge();
    }
}

void TForm1::bbnCopyMemoClick() {
    status_->selectAll();
    QGuiApplication::clipboard()->setText(status_->toPlainText());
    QTextCursor cursor = status_->textCursor();
    cursor.movePosition(QTextCursor::Start);
    status_->setTextCursor(cursor);
    status_->setFocus();
}

void TForm1::bbnInfoClick() {
    presenter_.about(this, QStringLiteral("Info"),
                     QStringLiteral("Trassolin v1.64\n\nStraßen für GIANTS-Szenen aus "
                                    "Spline-Punkten.\n\nQt-Version: %1")
                         .arg(QString::fromLatin1(qVersion())));
}

} // namespace trassolin::gui
