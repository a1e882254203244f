// "Spiel …" and "Prüfen" driven as a user drives them: the game's settings edited in their
// dialog, saved, loaded, undone and used by Go; the curves checked into the status log.
// Runs offscreen.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "support/test_support.h"
#include "uMain13/edit_history.h"
#include "uMain13/main_window.h"
#include "uMain13/spline_point_editor.h"
#include "uSpiel/game_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

#include <memory>

using namespace trassolin;
using namespace trassolin::gui;
namespace ui = trassolin::gui::test;

class GameDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ui::WindowUnderTest> at_;
    ui::ScriptedPresenter* presenter_ = nullptr;
    TForm1* window_ = nullptr;

    template <class W = QLineEdit> W* get(const char* name) {
        return ui::control<W>(*window_, name);
    }
    void click(const char* name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    std::filesystem::path file(const char* name) { return at_->file(name); }
    // Go, waited for until the window has taken the run's outcome.
    void go() {
        click("bbnGo");
        QVERIFY(ui::waitForRun(*window_));
    }
    QString status() { return get<QPlainTextEdit>("mmoStatus")->toPlainText(); }

    // Opens "Spiel …", lets `edit` work on the dialog and answers with `result`.
    void inDialog(const std::function<void(QDialog&)>& edit, int result = QDialog::Accepted) {
        presenter_->onModal = [&](QDialog& dialog) {
            edit(dialog);
            return result;
        };
        click("bbnSpiel");
        presenter_->onModal = [](QDialog&) { return int(QDialog::Accepted); };
    }

    // A straight 100 m road with all three curves.
    void straightRoadWithCurves() {
        window_->splineEditor().selectPoint(2);
        ui::type(get("edtSplinePtsZ"), QStringLiteral("100"));
        ui::focus(get("edtShapeName"));
        for (const char* box : {"cboTrafficSpline", "cboTrafficSplineRechts", "cboTrafficSplineLinks"}) {
            get<QCheckBox>(box)->setChecked(true);
        }
    }

private Q_SLOTS:
    void init() {
        at_ = std::make_unique<ui::WindowUnderTest>();
        presenter_ = &at_->presenter();
        window_ = &at_->window();
    }
    void cleanup() { at_.reset(); }

    void everyControlIsNamedAfterItsKeyAndEveryLabelHasItsField() {
        bool shown = false;
        inDialog([&](QDialog& dialog) {
            shown = true;
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Spiel"));
            for (const char* name :
                 {"cmbProfil", "cboBruecke", "edtKollisionsgruppe", "edtKollisionsmaske",
                  "edtRandKollisionsgruppe", "edtRandKollisionsmaske", "edtSichtweite",
                  "cboSchattenWerfen", "cboNormalmaps", "edtAbschnittslaenge", "edtMaxBreite",
                  "edtMaxWenderadius", "edtMaxHoehe", "bbnOK", "bbnCancel"}) {
                auto* control = dialog.findChild<QWidget*>(QString::fromLatin1(name));
                QVERIFY2(control != nullptr, name);
                QCOMPARE(control->accessibleName(), control->objectName());
            }
            for (QLabel* label : dialog.findChildren<QLabel*>()) {
                if (label->text() == QStringLiteral("m") || label->text() == QStringLiteral("hex")) {
                    continue;
                }
                QVERIFY2(label->buddy() != nullptr, qPrintable(label->text()));
            }
            // What a profile does not write cannot be typed, and the empty fields say what
            // stands in for them.
            auto* profile = dialog.findChild<QComboBox*>(QStringLiteral("cmbProfil"));
            QCOMPARE(profile->currentText(), QStringLiteral("keins"));
            QVERIFY(!dialog.findChild<QLineEdit*>(QStringLiteral("edtKollisionsgruppe"))->isEnabled());
            profile->setCurrentText(QStringLiteral("FS25"));
            auto* group = dialog.findChild<QLineEdit*>(QStringLiteral("edtKollisionsgruppe"));
            QVERIFY(group->isEnabled());
            QCOMPARE(group->placeholderText(), QStringLiteral("leer: 0x601c"));
            dialog.findChild<QCheckBox*>(QStringLiteral("cboBruecke"))->setChecked(true);
            QCOMPARE(group->placeholderText(), QStringLiteral("leer: 0x207c"));
            profile->setCurrentText(QStringLiteral("FS22"));
            QVERIFY(!group->isEnabled());
            QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("edtKollisionsmaske"))->isEnabled());
            QVERIFY(!dialog.findChild<QLineEdit*>(QStringLiteral("edtMaxHoehe"))->isEnabled());
        }, QDialog::Rejected);
        QVERIFY(shown);
        // Abbrechen changes nothing.
        QCOMPARE(window_->parameters().profil, std::string("keins"));
        QVERIFY(!window_->parameters().bruecke);
    }

    void theValuesAreSavedLoadedUndoneAndUsedByGo() {
        straightRoadWithCurves();
        get<QCheckBox>("cboKIStrassenspline")->setChecked(true);
        inDialog([](QDialog& dialog) {
            dialog.findChild<QComboBox*>(QStringLiteral("cmbProfil"))->setCurrentText(QStringLiteral("FS25"));
            dialog.findChild<QLineEdit*>(QStringLiteral("edtRandKollisionsgruppe"))->setText(QStringLiteral("0x2"));
            dialog.findChild<QLineEdit*>(QStringLiteral("edtAbschnittslaenge"))->setText(QStringLiteral("50"));
            dialog.findChild<QLineEdit*>(QStringLiteral("edtMaxBreite"))->setText(QStringLiteral("3,5"));
            dialog.findChild<QCheckBox*>(QStringLiteral("cboNormalmaps"))->setChecked(true);
        });
        QCOMPARE(window_->parameters().profil, std::string("FS25"));
        QCOMPARE(window_->parameters().abschnittslaenge, std::string("50"));
        QCOMPARE(window_->history().stack().undoText(), QStringLiteral("Spiel"));

        presenter_->fileAnswers.push_back(fromPath(file("spiel.ini")));
        click("bbnSavePara");
        const std::string saved = trassolin::test::readFile(file("spiel.ini"));
        QVERIFY(saved.find("MaxBreite=3,5\r\n[Spiel]\r\nProfil=FS25\r\nBruecke=0\r\n") != std::string::npos);
        QVERIFY(saved.find("Abschnittslaenge=50\r\n") != std::string::npos);

        presenter_->fileAnswers.push_back(fromPath(file("spiel.i3d")));
        click("bbnSave");
        go();
        QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
        const std::string doc = trassolin::test::readFile(file("spiel.i3d"));
        QVERIFY(doc.find("<Shape name=\"Fahrbahn 2\" static=\"true\" collisionFilterGroup=\"0x601c\" "
                         "collisionFilterMask=\"0xfffffbff\"") != std::string::npos);
        QVERIFY(doc.find("<Shape name=\"Fahrbahn 3\"") == std::string::npos);
        QVERIFY(doc.find("<Attribute name=\"maxWidth\" type=\"float\" value=\"3.5\"/>") != std::string::npos);
        QVERIFY(doc.find("<Normalmap fileId=\"5\"/>") != std::string::npos);
        // The command line builds the same road from the saved file.
        QCOMPARE(ui::runCommandLine({QStringLiteral("generate"), fromPath(file("spiel.ini")),
                                     fromPath(file("cli.i3d"))}),
                 0);
        QVERIFY(doc == trassolin::test::readFile(file("cli.i3d")));

        // The dialog shows what a load brought; undo takes the edit back.
        window_->undo(); // Go's TexL0
        window_->undo();
        QCOMPARE(window_->parameters().profil, std::string("keins"));
        presenter_->fileAnswers.push_back(fromPath(file("spiel.ini")));
        click("bbnLoadPara");
        inDialog([](QDialog& dialog) {
            QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("cmbProfil"))->currentText(),
                     QStringLiteral("FS25"));
            QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("edtRandKollisionsgruppe"))->text(),
                     QStringLiteral("0x2"));
            QVERIFY(dialog.findChild<QCheckBox*>(QStringLiteral("cboNormalmaps"))->isChecked());
        }, QDialog::Rejected);
    }

    // A profile this version does not know stays in the file as it was, and Go names it.
    void anUnknownProfileIsKeptAndNamedByGo() {
        trassolin::test::writeFile(file("alt.ini"), "[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=30\r\n"
                                                    "[Spiel]\r\nProfil=FS19\r\n");
        presenter_->fileAnswers.push_back(fromPath(file("alt.ini")));
        click("bbnLoadPara");
        inDialog([](QDialog& dialog) {
            QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("cmbProfil"))->currentText(),
                     QStringLiteral("FS19"));
        });
        QCOMPARE(window_->parameters().profil, std::string("FS19"));
        presenter_->fileAnswers.push_back(fromPath(file("alt.i3d")));
        click("bbnSave");
        presenter_->messages.clear();
        go();
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral(
                     "[Spiel] Profil: 'FS19' kennt Trassolin nicht; erlaubt sind keins, FS25 und FS22")});
    }

    void pruefenWritesTheFindingsIntoTheStatusLog() {
        straightRoadWithCurves();
        click("bbnPruefen");
        QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
        QCOMPARE(status(), QStringLiteral("Prüfen der Verkehrskurven:\nKeine Befunde"));

        ui::type(get("edtTrafficSplineLinks"), QStringLiteral("150"));
        ui::focus(get("edtShapeName"));
        auto* road = window_->findChild<QMenu*>(QStringLiteral("mnuStrasse"));
        QAction* check = road->findChild<QAction*>(QStringLiteral("actPruefen"));
        QVERIFY(check != nullptr);
        QCOMPARE(check->shortcut(), QKeySequence(Qt::Key_F6));
        check->trigger();
        const QString separator(QChar::fromLatin1(window_->decimalSeparator()));
        QCOMPARE(status(), QStringLiteral("Prüfen der Verkehrskurven:\nKurve links bei 0 m: 1") +
                               separator + QStringLiteral("75 m neben der Fahrbahn (0 bis 100 m)"));
        // A field that is no number is named as for Go, and the log keeps what it had.
        ui::type(get("edtBreite"), QStringLiteral("breit"));
        click("bbnPruefen");
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral(
                     "Breite (Fahrbahn - Geometrie): 'breit' ist kein gültiger Gleitkommawert")});
        QVERIFY(status().contains(QStringLiteral("neben der Fahrbahn")));
    }

    // The check builds the road the next Go builds, without taking Go's random numbers.
    void pruefenLeavesTheNextGoAsItWouldHaveBeen() {
        std::string documents[2];
        for (int withCheck = 0; withCheck < 2; ++withCheck) {
            at_->restart();
            window_ = &at_->window();
            straightRoadWithCurves();
            get<QCheckBox>("cboRandomBackFold")->setChecked(true);
            ui::type(get("edtTextur1Laenge"), QStringLiteral("5"));
            ui::focus(get("edtShapeName"));
            if (withCheck == 1) click("bbnPruefen");
            presenter_->fileAnswers.push_back(fromPath(file(withCheck ? "b.i3d" : "a.i3d")));
            click("bbnSave");
            go();
            QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
            documents[withCheck] = trassolin::test::readFile(file(withCheck ? "b.i3d" : "a.i3d"));
        }
        QVERIFY(documents[0].size() > 1000);
        QVERIFY(documents[0] == documents[1]);
    }
};

QTEST_MAIN(GameDialogTest)
#include "game_dialog_test.moc"
