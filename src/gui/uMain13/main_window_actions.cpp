// The main window's buttons: output file, run, texture files, spline import, parameter files,
// the secondary windows, the status log and the about box.

#include "uMain13/main_window.h"

#include "common/widgets.h"
#include "generation/run.h"
#include "settings/parameter_file.h"
#include "uGrafik/cross_section_window.h"
#include "uMain13/edge_panel.h"
#include "uMain13/edge_texture_group.h"
#include "uMain13/road_texture_group.h"
#include "uMain13/segment_editor.h"
#include "uMain13/spline_point_editor.h"
#include "uShowParameter/parameter_display.h"
#include "uSplinePreferences/preferences_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace trassolin::gui {

namespace {

// The run's report lines in the status log.
class MemoStatusLog final : public StatusLog {
public:
    explicit MemoStatusLog(QPlainTextEdit& memo) : memo_(memo) {}
    void clear() override { memo_.clear(); }
    void append(std::string_view line) override {
        memo_.appendPlainText(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    }

private:
    QPlainTextEdit& memo_;
};

// The wait cursor for as long as a run holds the window.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

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
    go_->setEnabled(true);
}

void TForm1::bbnGoClick() {
    const WaitCursor wait;
    for (EdgePanel* edge : {right_, left_}) {
        if (edge->profile().enabled) edge->recomputeSilently();
    }
    fieldsToParameters();
    MemoStatusLog log(*status_);
    const auto readEdgeFields = [this](TRandPunkte& edge) {
        (&edge == &params_.rechterRand ? right_ : left_)->texture()->readForRun();
    };
    const bool written = runGeneration(params_, toPath(fileName_->text()), messages_, log, random_,
                                       separator_, readEdgeFields);
    if (params_.splines.count() < 2) go_->setEnabled(false);
    if (written && params_.fahrbahnErzeugen) roadTexture_->texL0Field()->setText(toQt(params_.texL0));
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
    try {
        params_.splines.importFromI3d(toPath(*file));
    } catch (...) {
        splines_->showPoint();
        throw;
    }
    splines_->showPoint();
}

std::optional<QString> TForm1::askParameterFile(const QString& title) {
    return presenter_.openFileName(
        this, {title, QStringLiteral("Parameter.ini"), kParameterFilter, QStringLiteral("ini")});
}

void TForm1::bbnSaveParaClick() {
    const auto file = presenter_.saveFileName(
        this, {QStringLiteral("Parameter speichern"), QStringLiteral("Parameter.ini"),
               QStringLiteral("Parameter (*.ini);;alle Dateien (*)"), QStringLiteral("ini")});
    if (!file) return;
    fieldsToParameters();
    saveParameterFile(toPath(*file), params_, separator_);
    // Only a file that was written is named as saved.
    parameter1_->setText(QStringLiteral("Parameter gespeichert in"));
    parameter_->setText(QFileInfo(*file).fileName());
}

void TForm1::bbnLoadParaClick() {
    const auto file = askParameterFile(QStringLiteral("Parameter laden"));
    if (file) loadParameters(*file);
}

void TForm1::loadParameters(const QString& file) {
    // Typed texts reach the segments and the point before the load replaces them.
    right_->segments()->selectSegment(1);
    left_->segments()->selectSegment(1);
    splines_->selectPoint(1);
    fieldsToParameters();
    // A value that is no number stops the load with what was read before it applied: the
    // window shows that state either way.
    const auto showAll = [this] {
        parametersToFields();
        right_->showLoaded();
        left_->showLoaded();
        splines_->showPoint();
        fill_->setChecked(params_.fuellFlaecheErzeugen);
    };
    try {
        loadParameterFile(toPath(file), params_, messages_);
    } catch (...) {
        showAll();
        throw;
    }
    showAll();
    // Only a file that was read completely is named as loaded.
    parameter1_->setText(QStringLiteral("Parameter geladen aus"));
    parameter_->setText(QFileInfo(file).fileName());
}

void TForm1::edgeLoadParaClick(bool right) {
    const auto file = askParameterFile(right ? QStringLiteral("Parameter für rechten Rand laden")
                                             : QStringLiteral("Parameter für linken Rand laden"));
    if (!file) return;
    EdgePanel* panel = right ? right_ : left_;
    panel->segments()->selectSegment(1);
    try {
        loadEdgeFromParameterFile(toPath(*file), params_, right ? EdgeSide::Right : EdgeSide::Left,
                                  messages_);
    } catch (...) {
        panel->showLoaded();
        throw;
    }
    panel->showLoaded();
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
