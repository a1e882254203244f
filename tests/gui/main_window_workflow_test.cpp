// The main window through a modder's whole workflow: loads that fail, messages that name what
// they concern, warnings collected per action, unsaved edits, undo and redo, the menu bar, the
// files opened last and the shipped presets. Runs offscreen.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "io/paths.h"
#include "settings/ini_file.h"
#include "support/test_support.h"
#include "uGlobal/rand_punkte.h"
#include "uMain13/edit_history.h"
#include "uMain13/main_window.h"
#include "uMain13/presets.h"
#include "uMain13/spline_point_editor.h"
#include "uMain13/window_state.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace trassolin;
using namespace trassolin::gui;
namespace ui = trassolin::gui::test;
using trassolin::test::readFile;
using trassolin::test::TempDir;
using trassolin::test::writeFile;

namespace {

std::filesystem::path example(const char* name) {
    return trassolin::test::examplesDir() / name;
}

// The text with `from` replaced once by `to`; fails the test when `from` is missing.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at == std::string::npos) qFatal("'%s' not found", from.c_str());
    return text.replace(at, from.size(), to);
}

} // namespace

class MainWindowWorkflowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<ui::ScriptedPresenter> presenter_;
    std::unique_ptr<TForm1> window_;

    template <class W = QLineEdit> W* get(const char* name) {
        return ui::control<W>(*window_, name);
    }
    QAction* action(const char* name) { return get<QAction>(name); }
    void click(const char* name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    // "Go", and the run to its end.
    void go() {
        click("bbnGo");
        QVERIFY(ui::waitForRun(*window_));
    }
    void leave() { ui::focus(get("edtShapeName")); }
    // The event loop's turn between two actions of a user: what one action did is one step.
    static void settle() { QApplication::processEvents(); }
    static QString canonical(const std::filesystem::path& path) {
        return QFileInfo(fromPath(path)).canonicalFilePath();
    }
    void startWindow() {
        window_ = std::make_unique<TForm1>(*presenter_);
        QVERIFY(ui::showActive(*window_));
    }
    std::filesystem::path file(const char* name) { return *dir_ / name; }
    // A copy of an example in the test's folder, so that saving into it harms nothing.
    std::filesystem::path copyOf(const char* exampleName, const char* name) {
        writeFile(file(name), readFile(example(exampleName)));
        return file(name);
    }
    void answerFile(const std::filesystem::path& path) {
        presenter_->fileAnswers << fromPath(path);
    }
    void load(const std::filesystem::path& path) {
        answerFile(path);
        click("bbnLoadPara");
    }
    void saveAs(const std::filesystem::path& path) {
        answerFile(path);
        click("bbnSavePara");
    }
    void chooseOutput(const std::filesystem::path& path) {
        answerFile(path);
        click("bbnSave");
    }
    // Every text and state a user can see in the window's fields, boxes and labels.
    QStringList shown() {
        QStringList list;
        for (QLineEdit* f : window_->findChildren<QLineEdit*>()) {
            if (!f->objectName().isEmpty()) list << f->objectName() + '=' + f->text();
        }
        for (QCheckBox* b : window_->findChildren<QCheckBox*>()) {
            list << b->objectName() + (b->isChecked() ? "=1" : "=0");
        }
        for (QGroupBox* g : window_->findChildren<QGroupBox*>()) {
            list << g->objectName() + '=' + g->title() + (g->isVisible() ? "" : " (verborgen)");
        }
        list << get<QLabel>("lblParameter1")->text() << get<QLabel>("lblParameter")->text();
        return list;
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<TempDir>();
        QDir::setCurrent(fromPath(dir_->path()));
        presenter_ = std::make_unique<ui::ScriptedPresenter>();
        startWindow();
    }
    void cleanup() {
        window_.reset();
        QDir::setCurrent(QDir::tempPath());
        dir_.reset();
    }

    void aLoadThatFailsHalfwayLeavesTheWindowAsItWas() {
        load(example("landstrasse.ini"));
        chooseOutput(file("land.i3d"));
        const QStringList before = shown();
        const ParameterSet held = window_->parameters();

        // The village street with a climb that is no number in its second point.
        writeFile(file("dorf.ini"), replaced(readFile(example("dorfstrasse.ini")),
                                             "[SplinePts2]\r\nX=0\r\nY=0\r\nZ=60",
                                             "[SplinePts2]\r\nX=0\r\nY=0\r\nZ=sechzig"));
        presenter_->messages.clear();
        load(file("dorf.ini"));
        QCOMPARE(presenter_->texts(),
                 QStringList{toQt(displayPath(file("dorf.ini"))) +
                             " [SplinePts2] Z: 'sechzig' ist kein gültiger Gleitkommawert"});
        QCOMPARE(shown(), before);
        QVERIFY(!firstDifference(held, window_->parameters()));

        // One edge alone: all or nothing as well.
        writeFile(file("rand.ini"), "[Rand_rechts_Geo]\r\nenable1=1\r\nnSegments=2\r\nBreite1=2\r\n"
                                    "Winkel2=steil\r\n");
        presenter_->messages.clear();
        answerFile(file("rand.ini"));
        click("bbnRandLLoadPara");
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(shown(), before);
        QVERIFY(!firstDifference(held, window_->parameters()));

        // Go still builds the country road, not a mix.
        go();
        QCOMPARE(ui::runCommandLine({QStringLiteral("generate"), fromPath(example("landstrasse.ini")),
                                     fromPath(file("cli.i3d"))}),
                 0);
        QVERIFY(readFile(file("land.i3d")) == readFile(file("cli.i3d")));
    }

    void errorBoxesNameWhatTheyConcernAndPutTheCursorThere() {
        load(example("landstrasse.ini"));
        chooseOutput(file("strasse.i3d"));
        ui::type(get("edtBreite"), QStringLiteral("abc"));
        presenter_->messages.clear();
        go();
        QCOMPARE(
            presenter_->texts(),
            QStringList{"Breite (Fahrbahn - Geometrie): 'abc' ist kein gültiger Gleitkommawert"});
        QCOMPARE(QApplication::focusWidget(), get("edtBreite"));

        // A verge field that the run reads itself.
        ui::type(get("edtBreite"), QStringLiteral("6"));
        get("edtRandLTexBreite")->setText(QStringLiteral("breit"));
        presenter_->messages.clear();
        go();
        QCOMPARE(presenter_->texts(),
                 QStringList{"Breite (Linker Rand): 'breit' ist kein gültiger Gleitkommawert"});
        QCOMPARE(QApplication::focusWidget(), get("edtRandLTexBreite"));
        get("edtRandLTexBreite")->setText(QStringLiteral("4"));

        // A save into a folder that is not there says so, as the command line does.
        presenter_->messages.clear();
        saveAs(file("fehlt") / "p.ini");
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY2(presenter_->texts().front().endsWith(
                     " – der Ordner " + toQt(displayPath(file("fehlt"))) + " existiert nicht"),
                 qPrintable(presenter_->texts().front()));
    }

    void theImportWarnsAsTheCommandLineDoesAndNamesItsFile() {
        writeFile(file("punkte.i3d"), "<i3D>\n<Scene>\n<Shape translation=\"0 0 0\"/>\n"
                                      "<Shape translation=\"0 0 0.05\"/>\n"
                                      "<Shape translation=\"10 0 20\"/>\n</Scene>\n</i3D>\n");
        presenter_->messages.clear();
        answerFile(file("punkte.i3d"));
        click("bbnSplinePtsOpen");
        QCOMPARE(window_->parameters().splines.count(), 3);
        QCOMPARE(get("edtSplineI3D")->text(), QStringLiteral("punkte.i3d"));
        // Both doubts in one box.
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(presenter_->messages.front().kind, MessageKind::Warning);
        const QStringList lines = presenter_->messages.front().text.split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("punkte.i3d: SplinePunkte 1 und 2 liegen aufeinander"));
        QVERIFY(lines[1].startsWith("punkte.i3d: alle Punkte haben Yrot = 0"));
        QVERIFY(lines[1].endsWith("(„Richtungen berechnen“)"));
    }

    void oneActionGivesOneBoxAndANewVergeStartsFromAPreset() {
        // Three segments without width: six doubts from one load, in one box.
        writeFile(file("flach.ini"),
                  "[Rand_rechts_Geo]\r\nenable1=1\r\nnSegments=3\r\nBreite1=0\r\n"
                  "Breite2=0\r\nBreite3=0\r\n");
        answerFile(file("flach.ini"));
        click("bbnRandRLoadPara");
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(presenter_->messages.front().kind, MessageKind::Warning);
        QCOMPARE(presenter_->messages.front().text.count(QStringLiteral("Sind Sie sicher?")), 6);
        get<QCheckBox>("cboRandRenable")->setChecked(false);

        // Switched on by a click, the left verge is the first verge preset, and Go builds it
        // without a word.
        presenter_->messages.clear();
        QTest::mouseClick(get<QCheckBox>("cboRandLenable"), Qt::LeftButton);
        settle();
        const TRandPunkte& left = window_->parameters().linkerRand;
        QVERIFY(left.enabled);
        QCOMPARE(left.count(), 2);
        QCOMPARE(left.getSegment(1)->length, 1.0);
        QCOMPARE(left.getSegment(1)->u, 0.5);
        QCOMPARE(left.textureLength, 8.0);
        QCOMPARE(get("edtRandLTexFile")->text(), QStringLiteral("verge_diffuse.dds"));
        QCOMPARE(get("edtRandLBreite")->text(), QStringLiteral("1"));
        window_->splineEditor().selectPoint(2);
        ui::type(get("edtSplinePtsZ"), QStringLiteral("30"));
        leave();
        settle();
        chooseOutput(file("weg.i3d"));
        go();
        settle();
        QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
        QVERIFY(std::filesystem::exists(file("weg.i3d")));

        // A verge that holds values keeps them when it is switched on again.
        QTest::mouseClick(get<QCheckBox>("cboRandRenable"), Qt::LeftButton);
        QCOMPARE(window_->parameters().rechterRand.count(), 4);

        // Switching on and the preset are one step.
        window_->undo(); // the right verge
        window_->undo(); // the run's TexL0
        window_->undo(); // the point
        window_->undo(); // the left verge
        QVERIFY(!left.enabled);
        QVERIFY(untouchedProfile(left));
        QVERIFY(!get<QCheckBox>("cboRandLenable")->isChecked());
    }

    void unsavedEditsAreOfferedForSavingBeforeTheRoadGoes() {
        // Nothing changed: no question.
        QVERIFY(window_->close());
        QVERIFY(presenter_->questions.isEmpty());

        startWindow();
        ui::type(get("edtBreite"), QStringLiteral("8"));
        leave();
        presenter_->choiceAnswers << QStringLiteral("Abbrechen");
        QVERIFY(!window_->close());
        QCOMPARE(presenter_->questions.size(), 1);
        QVERIFY(presenter_->questions.front().endsWith("Änderungen speichern?"));

        // Another file: asked again; "Verwerfen" loads it.
        const auto land = copyOf("landstrasse.ini", "land.ini");
        presenter_->choiceAnswers << QStringLiteral("Verwerfen");
        load(land);
        QCOMPARE(presenter_->questions.size(), 2);
        QCOMPARE(get("edtShapeName")->text(), QStringLiteral("Landstrasse"));
        QVERIFY(!window_->history().unsaved());

        // "Save Parameter" offers the file the road came from.
        click("bbnSavePara"); // cancelled
        QCOMPARE(presenter_->fileRequests.back().proposedName, fromPath(land));

        // A run wrote this road's output: loading another road does not keep it for Go.
        chooseOutput(file("land.i3d"));
        go();
        QVERIFY(std::filesystem::exists(file("land.i3d")));
        presenter_->choiceAnswers << QStringLiteral("Verwerfen"); // the run moved TexL0 on
        load(copyOf("dorfstrasse.ini", "dorf.ini"));
        QCOMPARE(presenter_->questions.size(), 3);
        QCOMPARE(presenter_->questions.back(),
                 QStringLiteral("Die Straße „Landstrasse“ hat ungespeicherte Änderungen (Go "
                                "(TexL0)).\n\nÄnderungen speichern?"));
        QCOMPARE(get("edtFileName")->text(), QString());
        QVERIFY(!get<QPushButton>("bbnGo")->isEnabled());
        QVERIFY(!action("actGo")->isEnabled());

        // "Speichern" writes the road into its file, then the window goes.
        ui::type(get("edtBreite"), QStringLiteral("9"));
        presenter_->choiceAnswers << QStringLiteral("Speichern");
        QVERIFY(window_->close());
        QVERIFY(readFile(file("dorf.ini")).find("\r\nBreite=9\r\n") != std::string::npos);
    }

    void undoRestoresEveryEditSoThatASaveWritesTheEarlierFile() {
        load(copyOf("landstrasse.ini", "land.ini"));
        saveAs(file("a.ini"));
        const int start = window_->history().stack().index();

        ui::type(get("edtBreite"), QStringLiteral("7,5"));
        leave();
        settle();
        QCOMPARE(action("actRueckgaengig")->text(),
                 QStringLiteral("&Rückgängig: Breite (Fahrbahn - Geometrie)"));
        QTest::mouseClick(get<QCheckBox>("cboSturz"), Qt::LeftButton);
        settle();
        get<QToolButton>("spbRandRAddEnd")->click();
        settle();
        get<QToolButton>("spbSplineSub")->click();
        settle();
        click("btnRichtungen");
        settle();
        click("btnRandRcalcU"); // the appended segment's U follows its neighbours
        settle();
        get<QToolButton>("spbCopyToLeft")->click();
        settle();
        answerFile(example("dorfstrasse.ini"));
        click("bbnRandLLoadPara");
        settle();
        presenter_->onModal = [](QDialog& dialog) {
            dialog.findChild<QLineEdit*>(QStringLiteral("edtWinkel"))->setText(QStringLiteral("4"));
            return int(QDialog::Accepted);
        };
        click("bbnPreferences");
        settle();
        const int edits = window_->history().stack().index() - start;
        QCOMPARE(edits, 9);
        saveAs(file("b.ini"));

        for (int i = 0; i < edits; ++i)
            action("actRueckgaengig")->trigger();
        QCOMPARE(get("edtBreite")->text(), QStringLiteral("6,5"));
        saveAs(file("c.ini"));
        QVERIFY(readFile(file("c.ini")) == readFile(file("a.ini")));

        for (int i = 0; i < edits; ++i)
            action("actWiederholen")->trigger();
        saveAs(file("d.ini"));
        QVERIFY(readFile(file("d.ini")) == readFile(file("b.ini")));

        // The keys: Ctrl+Z and Ctrl+Y outside a field.
        QVERIFY(ui::showActive(*window_)); // the preferences dialog was the active window
        ui::focus(get<QPushButton>("bbnCopyMemo"));
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window_->parameters().preferences.minWinkel, 3.0);
        QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(window_->parameters().preferences.minWinkel, 4.0);

        // Undoing the load brings back the window before it, label included.
        while (window_->history().stack().canUndo())
            window_->undo();
        QCOMPARE(get("edtShapeName")->text(), QStringLiteral("Strasse"));
        QCOMPARE(get<QLabel>("lblParameter")->text(), QStringLiteral("frei eingegeben"));
        QVERIFY(window_->history().unsaved());
    }

    void theMenuOffersTheButtonsWithTheirKeys() {
        QVERIFY(qobject_cast<QMainWindow*>(window_.get()) != nullptr);
        QStringList titles;
        for (QAction* a : window_->menuBar()->actions())
            titles << a->text().remove('&');
        QCOMPARE(titles, (QStringList{"Datei", "Bearbeiten", "Straße", "Hilfe"}));
        const struct {
            const char* action;
            QKeySequence keys;
        } keys[] = {{"actOeffnen", QKeySequence(Qt::CTRL | Qt::Key_O)},
                    {"actSpeichern", QKeySequence(Qt::CTRL | Qt::Key_S)},
                    {"actRueckgaengig", QKeySequence(Qt::CTRL | Qt::Key_Z)},
                    {"actWiederholen", QKeySequence(Qt::CTRL | Qt::Key_Y)},
                    {"actGo", QKeySequence(Qt::Key_F5)}};
        for (const auto& k : keys)
            QCOMPARE(action(k.action)->shortcut(), k.keys);

        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(presenter_->fileRequests.back().title, QStringLiteral("Parameter laden"));

        // F5 runs as the button does: the segment being typed is committed first.
        load(example("landstrasse.ini"));
        chooseOutput(file("land.i3d"));
        ui::type(get("edtRandRBreite"), QStringLiteral("2"));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QVERIFY(ui::waitForRun(*window_));
        QCOMPARE(window_->parameters().rechterRand.getSegment(1)->length, 2.0);
        QVERIFY(std::filesystem::exists(file("land.i3d")));
        // Two runs give two documents: the log says why.
        const QString log = get<QPlainTextEdit>("mmoStatus")->toPlainText();
        QVERIFY2(log.section('\n', -1).startsWith(
                     "TexL0 für die nächste Straße: " + get("edtTexL0")->text() + " – "),
                 qPrintable(log.section('\n', -1)));

        // Ctrl+S saves back into the road's file without asking.
        const auto copy = copyOf("dorfstrasse.ini", "dorf.ini");
        presenter_->choiceAnswers << QStringLiteral("Verwerfen");
        load(copy);
        ui::type(get("edtBreite"), QStringLiteral("4"));
        const auto requests = presenter_->fileRequests.size();
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(presenter_->fileRequests.size(), requests);
        QVERIFY(readFile(copy).find("\r\nBreite=4\r\n") != std::string::npos);
    }

    void theFilesOpenedLastSurviveARestart() {
        const auto dorf = copyOf("dorfstrasse.ini", "dorf.ini");
        const auto land = copyOf("landstrasse.ini", "land.ini");
        load(dorf);
        load(land);
        QVERIFY(window_->close());
        startWindow();
        QCOMPARE(window_->recentFiles().files(), (QStringList{canonical(land), canonical(dorf)}));
        QCOMPARE(action("actZuletzt1")->text(), QStringLiteral("&1 land.ini"));
        QVERIFY(action("actZuletzt2")->isVisible());
        QVERIFY(!action("actZuletzt3")->isVisible());
        action("actZuletzt2")->trigger();
        QCOMPARE(get("edtShapeName")->text(), QStringLiteral("Dorfstrasse"));
        QCOMPARE(window_->recentFiles().files().front(), canonical(dorf));

        // A file that is gone is said so and leaves the list.
        std::filesystem::remove(land);
        presenter_->messages.clear();
        action("actZuletzt2")->trigger();
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(window_->recentFiles().files(), QStringList{canonical(dorf)});
        QCOMPARE(get("edtShapeName")->text(), QStringLiteral("Dorfstrasse"));
    }

    void everyPresetBuildsARoadThatBothSchemasAccept() {
        QStringList names;
        for (QAction* a : get<QMenu>("mnuVorlage")->actions()) {
            if (a->menu() == nullptr && !a->isSeparator()) names << a->text();
        }
        QCOMPARE(names, (QStringList{"Feldweg", "Wirtschaftsweg", "Dorfstraße", "Landstraße",
                                     "Kreisstraße mit Gräben"}));
        int n = 0;
        for (QAction* a : get<QMenu>("mnuVorlage")->actions()) {
            if (a->menu() != nullptr || a->isSeparator()) continue;
            presenter_->messages.clear();
            a->trigger();
            QCOMPARE(get<QLabel>("lblParameter")->text(), a->text());
            QVERIFY(!window_->history().unsaved());
            const auto out = file(qPrintable(QStringLiteral("vorlage%1.i3d").arg(++n)));
            chooseOutput(out);
            go();
            QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
            if (!trassolin::test::xmllintAvailable()) continue;
            const std::string document = readFile(out);
            const struct {
                std::filesystem::path schema;
                std::string document;
            } checks[] = {
                {trassolin::test::i3dSchema(), trassolin::test::withoutEditorAttributes(document)},
                {trassolin::test::currentI3dSchema(),
                 trassolin::test::withoutAttributesUnknownToTheCurrentSchema(document)}};
            for (const auto& [schema, stripped] : checks) {
                if (!std::filesystem::exists(schema)) continue;
                writeFile(file("check.i3d"), stripped);
                std::string log;
                QVERIFY2(trassolin::test::xmllint("--noout --schema '" + schema.string() + "'",
                                                  file("check.i3d"), log) == 0,
                         qPrintable(a->text() + '\n' + QString::fromStdString(log)));
            }
        }
        QCOMPARE(n, 5);

        // The verge profiles, for either side, from the menu and from the edge's button.
        QStringList verges;
        for (QAction* a : get<QMenu>("mnuRandprofilLinks")->actions())
            verges << a->text();
        QCOMPARE(verges, (QStringList{"Bankett", "Graben", "Bordstein"}));
        get<QMenu>("mnuRandprofilLinks")->actions().at(1)->trigger();
        QCOMPARE(window_->parameters().linkerRand.count(), 4);
        QCOMPARE(get<QGroupBox>("gboRandLSegmente")->title(),
                 QStringLiteral("Randsegmente links: 3"));
        presenter_->fileAnswers << presetFolder() + QStringLiteral("/rand/bordstein.ini");
        click("bbnRandRLoadPara");
        QCOMPARE(window_->parameters().rechterRand.textureFileName,
                 std::string("sidewalk_diffuse.dds"));
    }

    void everyNumberFieldShowsItsUnit() {
        const QStringList units = {"m", "m²", "°", "pxl", "U", "0…1", "Faktor", "km/h"};
        // Texts, and the two percentages whose boxes carry the "%".
        const QStringList exempt = {
            "edtFileName",     "edtShapeName", "edtTextur1FileName",     "edtRandRTexFile",
            "edtRandLTexFile", "edtSplineI3D", "edtTrafficSplineRechts", "edtTrafficSplineLinks",
            "edtGltfFile"};
        for (QLineEdit* field : window_->centralWidget()->findChildren<QLineEdit*>()) {
            if (qobject_cast<QSpinBox*>(field->parentWidget()) != nullptr) continue;
            if (exempt.contains(field->objectName())) continue;
            bool found = false;
            for (QLabel* label : window_->findChildren<QLabel*>()) {
                found = found || (label->buddy() == field && units.contains(label->text()));
            }
            QVERIFY2(found, qPrintable(field->objectName()));
        }
    }
};

QTEST_MAIN(MainWindowWorkflowTest)
#include "main_window_workflow_test.moc"
