// The main window driven as a user drives it: fields typed and left, buttons clicked, files
// chosen through a scripted presenter. Runs offscreen.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "support/test_support.h"
#include "uGlobal/errors.h"
#include "uGlobal/rand_punkte.h"
#include "uMain13/edge_panel.h"
#include "uMain13/main_window.h"
#include "uMain13/segment_editor.h"
#include "uMain13/spline_point_editor.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <QToolButton>

#include <memory>

using namespace trassolin;
using namespace trassolin::gui;
namespace ui = trassolin::gui::test;
using ui::ScriptedPresenter;
using trassolin::test::TempDir;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<ScriptedPresenter> presenter_;
    std::unique_ptr<TForm1> window_;

    template <class W = QLineEdit> W* get(const char* name) {
        auto* w = window_->findChild<W*>(QString::fromLatin1(name));
        if (w == nullptr) qFatal("no control %s", name);
        return w;
    }
    QString number(double value) { return formatNumber(value, window_->decimalSeparator()); }
    // Leaves a field for a widget outside its group.
    void leave() { ui::focus(get("edtShapeName")); }
    void click(const char* name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    // "Go", and the run to its end.
    void go() {
        click("bbnGo");
        QVERIFY(ui::waitForRun(*window_));
    }
    void startWindow() {
        window_ = std::make_unique<TForm1>(*presenter_);
        QVERIFY(ui::showActive(*window_));
    }
    void switchOn(const char* box) { get<QCheckBox>(box)->setChecked(true); }
    std::filesystem::path file(const char* name) { return *dir_ / name; }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<TempDir>();
        QDir::setCurrent(trassolin::gui::fromPath(dir_->path()));
        presenter_ = std::make_unique<ScriptedPresenter>();
        startWindow();
    }
    void cleanup() {
        window_.reset();
        QDir::setCurrent(QDir::tempPath());
        dir_.reset();
    }

    void startsWithBothEdgesOffGoDisabledAndTwoPoints() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Trassolin v1.64 by Norvik"));
        for (const char* group : {"gboRandR", "gboRandRSegmente", "gboRandL", "gboRandLSegmente"}) {
            QVERIFY2(!get<QGroupBox>(group)->isVisible(), group);
        }
        QVERIFY(!get<QCheckBox>("cboRandRenable")->isChecked());
        QVERIFY(!get<QCheckBox>("cboRandLenable")->isChecked());
        QVERIFY(!get<QPushButton>("bbnGo")->isEnabled());
        QCOMPARE(get<QGroupBox>("gboSplinePts")->title(), QStringLiteral("Spline-Punkte: 2"));
        for (const char* f : {"edtSplinePtsX", "edtSplinePtsYrot", "edtSplinePtsZrot"}) {
            QCOMPARE(get(f)->text(), QStringLiteral("0"));
        }
        QCOMPARE(get("edtBreite")->text(), QStringLiteral("7"));
        QCOMPARE(get<QPlainTextEdit>("mmoStatus")->toPlainText(), QStringLiteral("mmoStatus"));
        QCOMPARE(window_->parameters().preferences.maxSturz, 30.0);
    }

    void everyControlIsAddressedByItsNameAndEveryLabelHasItsField() {
        for (QWidget* w : window_->findChildren<QWidget*>()) {
            if (qobject_cast<QLabel*>(w) != nullptr || qobject_cast<QGroupBox*>(w) != nullptr) {
                QVERIFY(w->accessibleName().isEmpty());
                continue;
            }
            if (qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QAbstractButton*>(w) != nullptr
                || qobject_cast<QSpinBox*>(w) != nullptr) {
                if (w->parentWidget() != nullptr && qobject_cast<QSpinBox*>(w->parentWidget())) continue;
                QVERIFY2(!w->objectName().isEmpty(), qPrintable(w->metaObject()->className()));
                QCOMPARE(w->accessibleName(), w->objectName());
            }
        }
        for (QLabel* label : window_->findChildren<QLabel*>()) {
            if (label->objectName().startsWith(QLatin1String("lblParameter"))) continue;
            QVERIFY2(label->buddy() != nullptr, qPrintable(label->text()));
        }
        for (const char* name : {"edtBreite", "cboSturz", "sedRandRNr", "bbnGo", "mmoStatus",
                                 "spbRandRAdd", "SpeedButton2", "spbCopyToLeft", "spbOldTexL0",
                                 "EdtTexEndePxl", "bbnRandLLoadTex", "sedSplinePtsNr",
                                 "edtGltfFile", "btnGltfFile"}) {
            QVERIFY2(window_->findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);
        }
    }

    void choosingTheOutputEnablesGoAndTooFewPointsDisableItAgain() {
        const QString out = fromPath(file("strasse.i3d"));
        presenter_->fileAnswers.push_back(out);
        click("bbnSave");
        QCOMPARE(get("edtFileName")->text(), out);
        QVERIFY(get<QPushButton>("bbnGo")->isEnabled());
        QCOMPARE(presenter_->fileRequests.back().proposedName, QStringLiteral("test.i3d"));
        QCOMPARE(presenter_->fileRequests.back().defaultSuffix, QStringLiteral("i3d"));

        // A parameter file with a single point, then "Go".
        trassolin::test::writeFile(file("one.ini"), "[Splines]\r\nAnzahl=1\r\n");
        presenter_->fileAnswers.push_back(fromPath(file("one.ini")));
        click("bbnLoadPara");
        QCOMPARE(get<QLabel>("lblParameter1")->text(), QStringLiteral("Parameter geladen aus"));
        QCOMPARE(get<QLabel>("lblParameter")->text(), QStringLiteral("one.ini"));
        presenter_->messages.clear();
        go();
        QCOMPARE(presenter_->texts(), QStringList{QStringLiteral("Zu wenig SplinePunkte")});
        QCOMPARE(presenter_->messages.front().kind, MessageKind::Warning);
        QVERIFY(!get<QPushButton>("bbnGo")->isEnabled());
        QCOMPARE(get<QPlainTextEdit>("mmoStatus")->toPlainText(), QStringLiteral("mmoStatus"));
        QVERIFY(!std::filesystem::exists(file("strasse.i3d")));
    }

    void theGltfFieldMakesGoWriteTheRoadAsGltfToo() {
        window_->splineEditor().selectPoint(2);
        ui::type(get("edtSplinePtsZ"), QStringLiteral("50"));
        leave();
        presenter_->fileAnswers.push_back(fromPath(file("weg.glb")));
        click("btnGltfFile");
        QCOMPARE(presenter_->fileRequests.back().proposedName, QStringLiteral("test.glb"));
        QCOMPARE(presenter_->fileRequests.back().defaultSuffix, QStringLiteral("glb"));
        QCOMPARE(get("edtGltfFile")->text(), fromPath(file("weg.glb")));
        presenter_->fileAnswers.push_back(fromPath(file("weg.ini")));
        click("bbnSavePara");
        presenter_->fileAnswers.push_back(fromPath(file("weg.i3d")));
        click("bbnSave");
        go();
        QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
        // The same file as the command line's for the saved parameters.
        QCOMPARE(ui::runCommandLine({QStringLiteral("generate"), QStringLiteral("--gltf"),
                                     fromPath(file("cli.glb")), fromPath(file("weg.ini")),
                                     fromPath(file("cli.i3d"))}),
                 0);
        const std::string fromWindow = trassolin::test::readFile(file("weg.glb"));
        QVERIFY(fromWindow.starts_with("glTF"));
        QVERIFY(fromWindow == trassolin::test::readFile(file("cli.glb")));

        // An empty field: no glTF. A name that is no glTF: nothing written, and why.
        std::filesystem::remove(file("weg.glb"));
        ui::type(get("edtGltfFile"), QString());
        go();
        QVERIFY(!std::filesystem::exists(file("weg.glb")));
        trassolin::test::writeFile(file("weg.i3d"), "alt");
        ui::type(get("edtGltfFile"), fromPath(file("weg.obj")));
        go();
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral("Die glTF-Datei muss auf .glb oder .gltf enden: ") +
                             fromPath(file("weg.obj"))});
        QCOMPARE(trassolin::test::readFile(file("weg.i3d")), std::string("alt"));
    }

    void segmentButtonsSelectAsTheEditorPromises() {
        switchOn("cboRandRenable");
        SegmentEditor* editor = window_->rightEdge().segments();
        TRandPunkte& profile = window_->parameters().rechterRand;
        QVERIFY(editor->isVisible());

        ui::type(get("edtRandRBreite"), QStringLiteral("1,5"));
        get<QToolButton>("spbRandRAddEnd")->click(); // commits, then selects the new segment
        QCOMPARE(profile.count(), 3);
        QCOMPARE(profile.getSegment(1)->length, 1.5);
        QCOMPARE(profile.current, 2);
        QCOMPARE(get<QSpinBox>("sedRandRNr")->value(), 2);
        QCOMPARE(editor->title(), QStringLiteral("Randsegmente rechts: 2"));
        QCOMPARE(get("edtRandRBreite")->text(), QStringLiteral("0"));

        get<QSpinBox>("sedRandRNr")->setValue(1);
        get<QToolButton>("spbRandRAdd")->click(); // the copy stays selected at the same index
        QCOMPARE(profile.count(), 4);
        QCOMPARE(profile.current, 1);
        QCOMPARE(profile.getSegment(1)->length, 1.5);
        QCOMPARE(profile.getSegment(2)->length, 1.5);
        QCOMPARE(get("edtRandRBreite")->text(), number(1.5));

        get<QSpinBox>("sedRandRNr")->setValue(3);
        get<QToolButton>("spbRandRDel")->click(); // the new last one is selected
        QCOMPARE(profile.count(), 3);
        QCOMPARE(profile.current, 2);
        QCOMPARE(get<QSpinBox>("sedRandRNr")->value(), 2);
        QCOMPARE(get<QSpinBox>("sedRandRNr")->maximum(), 2);

        get<QSpinBox>("sedRandRNr")->setValue(0);
        QVERIFY(!get("edtRandRBreite")->isEnabled());
        QVERIFY(!get("edtRandRWinkel")->isEnabled());
        presenter_->messages.clear();
        get<QToolButton>("spbRandRDel")->click();
        QCOMPARE(presenter_->texts(), QStringList{QStringLiteral("Nullpunkt kann nicht gelöscht werden")});
        QCOMPARE(presenter_->messages.front().kind, MessageKind::Information);
        QCOMPARE(profile.count(), 3);
    }

    // A field that cannot be read stops the whole reaction, not only the commit inside it.
    void anUnreadableFieldStopsTheReactionThatSelects() {
        switchOn("cboRandRenable");
        TRandPunkte& profile = window_->parameters().rechterRand;
        get<QToolButton>("spbRandRAddEnd")->click();
        ui::type(get("edtRandRBreite"), QStringLiteral("abc"));
        presenter_->messages.clear();
        get<QToolButton>("spbRandRDel")->click();
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral(
                     "Breite (Randsegmente rechts): 'abc' ist kein gültiger Gleitkommawert")});
        QCOMPARE(profile.count(), 3);

        QVERIFY(!ui::opensModal(*presenter_, [this] { click("bbnGrafikSchnitt"); }));

        get<QToolButton>("spbSplineAddEnd")->click();
        ui::type(get("edtSplinePtsX"), QStringLiteral("x"));
        presenter_->messages.clear();
        get<QToolButton>("spbSplineSub")->click();
        QCOMPARE(
            presenter_->texts(),
            QStringList{QStringLiteral("X (Spline-Punkte): 'x' ist kein gültiger Gleitkommawert")});
        QCOMPARE(window_->parameters().splines.count(), 3);
    }

    void theWheelDoesNotSelectWhileOnlyScrollingPast() {
        get<QToolButton>("spbSplineAddEnd")->click();
        auto* spin = get<QSpinBox>("sedSplinePtsNr");
        ui::focus(get("edtShapeName"));
        const int before = spin->value();
        QWheelEvent wheel(QPointF(5, 5), spin->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(spin, &wheel);
        QCOMPARE(spin->value(), before);
    }

    void deletingAMiddleSegmentShowsItsFollowerWithoutCommitting() {
        switchOn("cboRandRenable");
        TRandPunkte& profile = window_->parameters().rechterRand;
        ui::type(get("edtRandRBreite"), QStringLiteral("1"));
        get<QToolButton>("spbRandRAddEnd")->click();
        ui::type(get("edtRandRBreite"), QStringLiteral("2"));
        get<QSpinBox>("sedRandRNr")->setValue(1);
        ui::focus(get("edtRandRBreite"));
        get("edtRandRBreite")->setText(QStringLiteral("9")); // typed, never committed
        get<QToolButton>("spbRandRDel")->click();
        QCOMPARE(profile.count(), 2);
        QCOMPARE(profile.getSegment(1)->length, 2.0);
        QCOMPARE(get("edtRandRBreite")->text(), QStringLiteral("2"));
    }

    void anglesShowTwoDecimalsButKeepTheTypedValue() {
        switchOn("cboRandRenable");
        ui::type(get("edtRandRWinkel"), QStringLiteral("-30,1234"));
        ui::focus(get("edtRandREnde")); // within the group: only the field's own commit
        QCOMPARE(get("edtRandRWinkel")->text(), number(-30.12));
        QCOMPARE(window_->parameters().rechterRand.getSegment(1)->angle,
                 -30.1234 * std::numbers::pi / 180.0);
    }

    void theLeftNormalIsCommittedOnlyWithItsGroup() {
        switchOn("cboRandLenable");
        TRandPunkte& profile = window_->parameters().linkerRand;
        get<QCheckBox>("cboRandLnormMan")->setChecked(true);
        QVERIFY(get("edtRandLnormale")->isEnabled());
        ui::type(get("edtRandLnormale"), QStringLiteral("45"));
        ui::focus(get("edtRandLEnde")); // same group: nothing committed yet
        QCOMPARE(profile.getSegment(1)->manualNormal, false);
        leave();
        QCOMPARE(profile.getSegment(1)->manualNormal, true);
        QCOMPARE(profile.getSegment(1)->normalAngle, 45 * std::numbers::pi / 180.0);

        // On the right side the normal field commits on its own.
        switchOn("cboRandRenable");
        get<QCheckBox>("cboRandRnormMan")->setChecked(true);
        ui::type(get("edtRandRnormale"), QStringLiteral("60"));
        ui::focus(get("edtRandREnde"));
        QCOMPARE(window_->parameters().rechterRand.getSegment(1)->normalAngle,
                 60 * std::numbers::pi / 180.0);
    }

    void splinePointButtonsKeepTheFieldsAndNumbersInStep() {
        SplinePointEditor& editor = window_->splineEditor();
        TSplinePunkte& points = window_->parameters().splines;
        ui::type(get("edtSplinePtsX"), QStringLiteral("10"));
        get<QToolButton>("spbSplineAddEnd")->click(); // commits point 1, selects point 3
        ui::type(get("edtSplinePtsX"), QStringLiteral("30"));
        editor.selectPoint(2);
        ui::type(get("edtSplinePtsX"), QStringLiteral("20"));
        leave(); // leaving the group commits
        QCOMPARE(points.count(), 3);
        QCOMPARE(points.get(0)->X, 10.0);
        QCOMPARE(points.get(1)->X, 20.0);
        QCOMPARE(points.get(2)->X, 30.0);
        QCOMPARE(editor.title(), QStringLiteral("Spline-Punkte: 3"));

        get<QToolButton>("spbSplineSub")->click(); // the follower, under the same number
        QCOMPARE(points.count(), 2);
        QCOMPARE(get<QSpinBox>("sedSplinePtsNr")->value(), 2);
        QCOMPARE(get("edtSplinePtsX")->text(), QStringLiteral("30"));

        presenter_->messages.clear();
        get<QToolButton>("spbSplineSub")->click();
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral("Zwei Punkte müssen mindestens vorhanden sein!")});

        get<QToolButton>("spbSplineAdd")->click(); // a zero point before the current one
        QCOMPARE(points.count(), 3);
        QCOMPARE(points.get(1)->X, 0.0);
        QCOMPARE(points.get(2)->X, 30.0);
        QCOMPARE(get("edtSplinePtsX")->text(), QStringLiteral("0"));
    }

    void directionsComeFromTheNeighboursAfterTheTypedValuesAreTaken() {
        get<QToolButton>("spbSplineAddEnd")->click();
        window_->splineEditor().selectPoint(2);
        ui::type(get("edtSplinePtsX"), QStringLiteral("10"));
        ui::type(get("edtSplinePtsZ"), QStringLiteral("10"));
        window_->splineEditor().selectPoint(3);
        ui::type(get("edtSplinePtsX"), QStringLiteral("20")); // typed, not yet taken
        click("btnRichtungen");
        const TSplinePunkte& points = window_->parameters().splines;
        QCOMPARE(points.get(2)->X, 20.0);
        QCOMPARE(points.get(1)->Yrot, 90.0);  // from its neighbours (0, 0) to (20, 0)
        QCOMPARE(points.get(2)->Yrot, 135.0); // along the last chord
        QCOMPARE(get("edtSplinePtsYrot")->text(), QStringLiteral("135"));
    }

    void roadPixelFieldsConvertWithTheTextureWidth() {
        // Width 0: nothing converts.
        ui::type(get("edtTexStart"), QStringLiteral("0,25"));
        leave();
        QCOMPARE(get("edtTexStartPxl")->text(), QString());

        ui::type(get("edtTexPxl"), QStringLiteral("1024"));
        leave();
        QCOMPARE(get("edtTexStartPxl")->text(), QStringLiteral("256"));
        QCOMPARE(get("EdtTexEndePxl")->text(), QStringLiteral("1024"));
        ui::type(get("EdtTexEndePxl"), QStringLiteral("384"));
        leave();
        QCOMPARE(get("EdtTexEnde")->text(), number(0.375));

        // A loaded TexPixel is not in use until the field is left.
        ui::type(get("edtTexPxl"), QStringLiteral("0"));
        ui::type(get("edtTexStart"), QStringLiteral("0,5"));
        leave();
        QCOMPARE(get("edtTexStartPxl")->text(), QStringLiteral("256"));

        // Beyond any pixel count: an error, not a wrapped integer.
        ui::type(get("edtTexPxl"), QStringLiteral("1024"));
        ui::type(get("edtTexStart"), QStringLiteral("1E300"));
        presenter_->messages.clear();
        leave();
        QCOMPARE(presenter_->texts(), QStringList{QString::fromUtf8(kInvalidFloatOperation)});
        QCOMPARE(get("edtTexStartPxl")->text(), QStringLiteral("512"));
    }

    void edgePixelFieldsFollowTheProfilesPixelWidth() {
        switchOn("cboRandRenable");
        ui::type(get("edtRandRTexBreitePxl"), QStringLiteral("512"));
        leave(); // the texture group commits
        QCOMPARE(window_->parameters().rechterRand.texturePixels, 512);
        ui::type(get("edtRandREndePxl"), QStringLiteral("128"));
        ui::focus(get("edtRandRBreite"));
        QCOMPARE(get("edtRandREnde")->text(), number(0.25));
        QCOMPARE(window_->parameters().rechterRand.getSegment(1)->u, 0.0); // not yet committed
        leave();
        QCOMPARE(window_->parameters().rechterRand.getSegment(1)->u, 0.25);
        QCOMPARE(get("edtRandREndePxl")->text(), QStringLiteral("128"));
    }

    void widthToUFollowsTheSegmentWidths() {
        switchOn("cboRandRenable");
        ui::type(get("edtRandRBreite"), QStringLiteral("0,5"));
        get<QToolButton>("spbRandRAddEnd")->click();
        ui::type(get("edtRandRBreite"), QStringLiteral("1,5"));
        ui::type(get("edtRandRTexBreite"), QStringLiteral("2"));
        click("btnRandRcalcU");
        const TRandPunkte& profile = window_->parameters().rechterRand;
        QCOMPARE(profile.getSegment(1)->u, 0.25);
        QCOMPARE(profile.getSegment(2)->u, 1.0);
        QCOMPARE(get("edtRandREnde")->text(), QStringLiteral("1"));

        ui::type(get("edtRandRTexBreite"), QStringLiteral("0"));
        presenter_->messages.clear();
        click("btnRandRcalcU");
        QCOMPARE(presenter_->texts(), QStringList{QStringLiteral("Texturbreite ist Null")});
    }

    void theFillNeedsBothEdges() {
        auto* fill = get<QCheckBox>("cboRandFuellen");
        fill->setChecked(true);
        QVERIFY(!fill->isChecked());
        switchOn("cboRandRenable");
        fill->setChecked(true);
        QVERIFY(!fill->isChecked());
        switchOn("cboRandLenable");
        fill->setChecked(true);
        QVERIFY(fill->isChecked());
        get<QCheckBox>("cboRandLenable")->setChecked(false);
        QVERIFY(!fill->isChecked());
    }

    void roadTextureOptionsExcludeEachOther() {
        get<QCheckBox>("cboRandomBackFold")->setChecked(true);
        get<QCheckBox>("cboRuecksetzen")->setChecked(true);
        QVERIFY(!get<QCheckBox>("cboRandomBackFold")->isChecked());
        get<QCheckBox>("cboRandomBackFold")->setChecked(true);
        QVERIFY(!get<QCheckBox>("cboRuecksetzen")->isChecked());
    }

    void copyingASwitchedOffEdgeSwitchesTheTargetOff() {
        switchOn("cboRandRenable");
        switchOn("cboRandLenable");
        get<QCheckBox>("cboRandFuellen")->setChecked(true);
        get<QCheckBox>("cboRandLenable")->setChecked(false);
        switchOn("cboRandLenable");
        get<QCheckBox>("cboRandFuellen")->setChecked(true);
        // Right edge with two segments, then switch the left one off and copy it over.
        ui::type(get("edtRandRBreite"), QStringLiteral("3"));
        get<QToolButton>("spbRandRAddEnd")->click();
        get<QCheckBox>("cboRandLenable")->setChecked(false);
        get<QCheckBox>("cboRandFuellen")->setChecked(false);
        // Still typing on the right: hiding the group must not put that text into the copy.
        ui::type(get("edtRandRBreite"), QStringLiteral("5"));
        get<QToolButton>("spbCopyToRight")->click();
        QVERIFY(!get<QCheckBox>("cboRandRenable")->isChecked());
        QVERIFY(!get<QGroupBox>("gboRandR")->isVisible());
        QVERIFY(!get<QGroupBox>("gboRandRSegmente")->isVisible());
        QVERIFY(!get<QCheckBox>("cboRandFuellen")->isChecked());
        QCOMPARE(window_->parameters().rechterRand.count(), 2);
        QCOMPARE(window_->parameters().rechterRand.getSegment(1)->length,
                 window_->parameters().linkerRand.getSegment(1)->length);
    }

    void aNeverShownEdgeCopiesItsOwnValues() {
        switchOn("cboRandRenable");
        get<QToolButton>("spbCopyToRight")->click(); // the left edge was never switched on
        QVERIFY(presenter_->messages.empty());
        QVERIFY(!window_->parameters().rechterRand.enabled);
        QCOMPARE(window_->parameters().rechterRand.textureLength, 0.0);
    }

    void copyingAnEdgeTakesTexturesAndSegments() {
        switchOn("cboRandRenable");
        switchOn("cboRandLenable");
        ui::type(get("edtRandRTexFile"), QStringLiteral("verge.dds"));
        ui::type(get("edtRandRTexLaenge"), QStringLiteral("8"));
        ui::type(get("edtRandRBreite"), QStringLiteral("2"));
        ui::type(get("edtRandRWinkel"), QStringLiteral("-30"));
        leave();
        get<QToolButton>("spbCopyToLeft")->click();
        const TRandPunkte& left = window_->parameters().linkerRand;
        QCOMPARE(left.textureFileName, std::string("verge.dds"));
        QCOMPARE(left.textureLength, 8.0);
        QCOMPARE(left.getSegment(1)->length, 2.0);
        QCOMPARE(left.rightSide(), false);
        QCOMPARE(left.current, 1);
        QCOMPARE(get("edtRandLBreite")->text(), QStringLiteral("2"));
        QCOMPARE(get("edtRandLTexFile")->text(), QStringLiteral("verge.dds"));
    }

    void switchingAnEdgeOnBringsItsGeometryUpToDate() {
        // A loaded, switched-off edge: its recompute did nothing.
        trassolin::test::writeFile(file("off.ini"),
                                   "[Rand_rechts_Geo]\r\nenable1=0\r\nnSegments=1\r\nBreite1=2\r\n"
                                   "Winkel1=90\r\n[Rand_rechts_Textur]\r\nEnde1=1\r\n");
        presenter_->fileAnswers.push_back(fromPath(file("off.ini")));
        click("bbnRandRLoadPara");
        const TRandPunkte& profile = window_->parameters().rechterRand;
        QVERIFY(!profile.enabled);
        QCOMPARE(profile.getSegment(1)->y0, 0.0);
        presenter_->messages.clear();
        switchOn("cboRandRenable");
        QCOMPARE(profile.getSegment(1)->y0, 2.0);
        QCOMPARE(profile.extent().maxY0, 2.0);
        QVERIFY(presenter_->messages.empty());
    }

    void currentIndicesStayWithinTheModels() {
        // A profile without segments and an empty point set.
        trassolin::test::writeFile(file("empty.ini"),
                                   "[Rand_rechts_Geo]\r\nenable1=1\r\nnSegments=0\r\n"
                                   "[Rand_links_Geo]\r\nenable1=0\r\n[Splines]\r\nAnzahl=0\r\n");
        presenter_->fileAnswers.push_back(fromPath(file("empty.ini")));
        click("bbnLoadPara");
        const TRandPunkte& profile = window_->parameters().rechterRand;
        QCOMPARE(profile.count(), 1);
        QCOMPARE(profile.current, 0);
        QVERIFY(!get("edtRandRBreite")->isEnabled());
        QVERIFY(!get<QSpinBox>("sedRandRNr")->isVisible());
        ui::type(get("edtRandREnde"), QStringLiteral("0,5"));
        leave();
        QCOMPARE(profile.getSegment(0)->u, 0.5);
        QCOMPARE(profile.getSegment(0)->length, 0.0);

        QCOMPARE(window_->parameters().splines.count(), 0);
        QCOMPARE(get<QSpinBox>("sedSplinePtsNr")->minimum(), 1);
        QCOMPARE(get<QSpinBox>("sedSplinePtsNr")->maximum(), 1);
        ui::type(get("edtSplinePtsX"), QStringLiteral("5"));
        leave(); // nothing to commit into
        get<QToolButton>("spbSplineAddEnd")->click();
        QCOMPARE(window_->parameters().splines.count(), 1);
        QCOMPARE(get<QGroupBox>("gboSplinePts")->title(), QStringLiteral("Spline-Punkte: 1"));
        QCOMPARE(get("edtSplinePtsX")->text(), QStringLiteral("0"));

        // A typed number beyond the spin edit's range selects nothing that does not exist.
        window_->parameters().rechterRand.current = 7;
        window_->rightEdge().segments()->showSegment();
        QCOMPARE(profile.current, 0);
    }

    void loadingAParameterFileShowsItAndSavingWritesItBack() {
        presenter_->fileAnswers.push_back(
            QString::fromUtf8(TRASSOLIN_EXAMPLES_DIR "/dorfstrasse.ini"));
        click("bbnLoadPara");
        QCOMPARE(get("edtShapeName")->text(), QStringLiteral("Dorfstrasse"));
        QCOMPARE(get("edtBreite")->text(), QStringLiteral("5,5"));
        QVERIFY(get<QCheckBox>("cboRandRenable")->isChecked());
        QVERIFY(get<QGroupBox>("gboRandRSegmente")->isVisible());
        QCOMPARE(get<QGroupBox>("gboRandRSegmente")->title(), QStringLiteral("Randsegmente rechts: 3"));
        QCOMPARE(get<QSpinBox>("sedRandRNr")->value(), 1);
        QCOMPARE(get("edtRandRBreite")->text(), number(0.15));
        QCOMPARE(get("edtRandRTexFile")->text(), QStringLiteral("sidewalk_diffuse.dds"));

        // A save that fails does not name the file as saved.
        std::filesystem::create_directory(file("ordner.ini"));
        presenter_->fileAnswers.push_back(fromPath(file("ordner.ini")));
        presenter_->messages.clear();
        click("bbnSavePara");
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(get<QLabel>("lblParameter1")->text(), QStringLiteral("Parameter geladen aus"));

        presenter_->fileAnswers.push_back(fromPath(file("copy.ini")));
        click("bbnSavePara");
        QCOMPARE(get<QLabel>("lblParameter1")->text(), QStringLiteral("Parameter gespeichert in"));
        const std::string saved = trassolin::test::readFile(file("copy.ini"));
        QVERIFY(saved.find("StrassenName=Dorfstrasse\r\n") != std::string::npos);
        QVERIFY(saved.find("Breite=5,5\r\n") != std::string::npos);
    }

    void theGameOptionsReachTheParameterFileTheDocumentAndTheCommandLine() {
        window_->splineEditor().selectPoint(2);
        ui::type(get("edtSplinePtsZ"), QStringLiteral("50"));
        leave();
        for (const char* box : {"cboTrafficSpline", "cboTrafficSplineRechts", "cboTrafficSplineLinks",
                                "cboGegenspurUmkehren", "cboKIStrassenspline", "cboVerkehrsspline"}) {
            switchOn(box);
        }
        QCOMPARE(get("edtTempo")->text(), QStringLiteral("50"));
        ui::type(get("edtTempo"), QStringLiteral("70"));
        ui::type(get("edtTempoFaktor"), QStringLiteral("0,9"));
        leave();

        presenter_->fileAnswers.push_back(fromPath(file("ki.ini")));
        click("bbnSavePara");
        QVERIFY(trassolin::test::readFile(file("ki.ini"))
                    .ends_with("TauschHB=0\r\n[KI]\r\nGegenspurUmkehren=1\r\nKIStrassenspline=1\r\n"
                               "Verkehrsspline=1\r\nTempo=70\r\nTempoFaktor=0,9\r\n"));

        presenter_->fileAnswers.push_back(fromPath(file("ki.i3d")));
        click("bbnSave");
        presenter_->messages.clear();
        go();
        QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
        const std::string doc = trassolin::test::readFile(file("ki.i3d"));
        QVERIFY(doc.find("       <TransformGroup name=\"Strasse_AI\" nodeId=\"10\">\r\n") !=
                std::string::npos);
        for (const char* attribute : {R"(<Attribute name="maxSpeedScale" type="float" value="0.9"/>)",
                                      R"(<Attribute name="maxWidth" type="float" value="7"/>)",
                                      R"(<Attribute name="speedLimit" type="float" value="70"/>)"}) {
            QVERIFY2(doc.find(attribute) != std::string::npos, attribute);
        }
        // The opposite lane starts at the road's end.
        const auto left = doc.find("<NurbsCurve name=\"splineLinks\"");
        QVERIFY(left != std::string::npos);
        const auto firstVertex = doc.substr(doc.find("<cv c=\"", left), 40);
        QVERIFY2(firstVertex.find(" 50.0000\"/>") != std::string::npos, firstVertex.c_str());

        QCOMPARE(ui::runCommandLine({QStringLiteral("generate"), fromPath(file("ki.ini")),
                                     fromPath(file("kommandozeile.i3d"))}),
                 0);
        QVERIFY(doc == trassolin::test::readFile(file("kommandozeile.i3d")));

        // A file from before these options switches them off; loading ours brings them back.
        presenter_->fileAnswers.push_back(
            fromPath(trassolin::test::testDataDir() / "parameter_start_values.ini"));
        click("bbnLoadPara");
        QVERIFY(!get<QCheckBox>("cboKIStrassenspline")->isChecked());
        QCOMPARE(get("edtTempo")->text(), QStringLiteral("50"));
        presenter_->fileAnswers.push_back(fromPath(file("ki.ini")));
        click("bbnLoadPara");
        QVERIFY(get<QCheckBox>("cboGegenspurUmkehren")->isChecked());
        QVERIFY(get<QCheckBox>("cboVerkehrsspline")->isChecked());
        QCOMPARE(get("edtTempoFaktor")->text(), QStringLiteral("0,9"));
    }

    void aStoredWindowPositionOffEveryScreenIsIgnored() {
        window_.reset();
        trassolin::test::writeFile(file("Trassolin.ini"),
                                   "[Preferences]\r\nminLaenge=4\r\nScreenPos_Top=-4000\r\n"
                                   "ScreenPos_Left=-9000\r\n");
        startWindow();
        QCOMPARE(window_->parameters().preferences.minLaenge, 4.0);
        QVERIFY(window_->pos().x() > -9000);

        window_.reset();
        trassolin::test::writeFile(file("Trassolin.ini"),
                                   "[Preferences]\r\nScreenPos_Top=20\r\nScreenPos_Left=30\r\n");
        startWindow();
        QCOMPARE(window_->pos(), QPoint(30, 20));
    }

    // The screen check must not wrap around at the end of int: the window stays on a screen,
    // and the place it really had goes back into the file.
    void aPositionAtTheEndOfTheIntegersLeavesTheWindowOnAScreen() {
        window_.reset();
        trassolin::test::writeFile(file("Trassolin.ini"),
                                   "[Preferences]\r\nScreenPos_Top=20\r\n"
                                   "ScreenPos_Left=2147483647\r\n");
        startWindow();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.contains(window_->pos()), qPrintable(QString::number(window_->pos().x())));
        QVERIFY(window_->close());
        const std::string written = trassolin::test::readFile(file("Trassolin.ini"));
        QVERIFY(written.find("ScreenPos_Left=2147483647") == std::string::npos);
    }

    // One value that is no number costs that value alone: the others are read, the message
    // names the file and the key, and the file keeps what the user wrote there.
    void anUnreadablePreferenceIsNamedAndKeptWhileTheOthersAreRead() {
        window_.reset();
        trassolin::test::writeFile(file("Trassolin.ini"),
                                   "[Preferences]\r\nminLaenge=4\r\nminWinkel=steil\r\n"
                                   "minSteigung=7\r\nScreenPos_Top=20\r\nScreenPos_Left=30\r\n");
        presenter_->messages.clear();
        startWindow();
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral("Trassolin.ini [Preferences] minWinkel: 'steil' ist "
                                            "kein gültiger Gleitkommawert")});
        const Preferences& p = window_->parameters().preferences;
        QCOMPARE(p.minLaenge, 4.0);
        QCOMPARE(p.minWinkel, 3.0);
        QCOMPARE(p.minSteigung, 7.0);
        QCOMPARE(window_->pos(), QPoint(30, 20));
        QVERIFY(window_->close());
        const std::string written = trassolin::test::readFile(file("Trassolin.ini"));
        QVERIFY2(written.find("\r\nminWinkel=steil\r\nminSteigung=7\r\n") != std::string::npos,
                 written.c_str());
    }

    void shutdownWritesThePreferencesOrSaysOnceWhyNot() {
        window_->parameters().preferences.minWinkel = 2.5;
        QVERIFY(window_->close());
        const std::string written = trassolin::test::readFile(file("Trassolin.ini"));
        QVERIFY(written.find("minWinkel=2") != std::string::npos);
        QVERIFY(written.find("ScreenPos_Left=") != std::string::npos);

        // A folder in the way: the write fails, the window closes all the same.
        std::filesystem::remove(file("Trassolin.ini"));
        std::filesystem::create_directory(file("Trassolin.ini"));
        startWindow();
        presenter_->messages.clear();
        QVERIFY(window_->close());
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(presenter_->texts().front().endsWith(QStringLiteral(" kann nicht geschrieben werden")));
    }

    void aWorkingDirectoryThatVanishedDoesNotStopTheProgram() {
#ifdef _WIN32
        QSKIP("Windows does not let a program's working directory be removed");
#endif
        window_.reset();
        std::filesystem::create_directory(file("weg"));
        QDir::setCurrent(fromPath(file("weg")));
        std::filesystem::remove(file("weg"));
        presenter_->messages.clear();
        startWindow();
        QVERIFY(presenter_->messages.empty());
        QVERIFY(window_->close());
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral("In Trassolin.ini kann nicht geschrieben werden")});
    }

    void textureButtonsFillOnlyTheirOwnFieldWithTheBareName() {
        switchOn("cboRandRenable");
        switchOn("cboRandLenable");
        presenter_->fileAnswers.push_back(QStringLiteral("/data/maps/verge_diffuse.dds"));
        click("bbnRandLLoadTex");
        QCOMPARE(get("edtRandLTexFile")->text(), QStringLiteral("verge_diffuse.dds"));
        QCOMPARE(window_->parameters().linkerRand.textureFileName, std::string("verge_diffuse.dds"));
        QCOMPARE(get("edtRandRTexFile")->text(), QString());
        QCOMPARE(get("edtTextur1FileName")->text(), QStringLiteral("road_diffuse.dds"));
        click("bbnLoadFahrbahnTex"); // cancelled
        QCOMPARE(get("edtTextur1FileName")->text(), QStringLiteral("road_diffuse.dds"));
    }

    void copyMemoAndInfo() {
        click("bbnCopyMemo");
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("mmoStatus"));
        QVERIFY(!get<QPlainTextEdit>("mmoStatus")->textCursor().hasSelection());
        click("bbnInfo");
        QCOMPARE(presenter_->aboutTexts.size(), 1);
        QVERIFY(presenter_->aboutTexts.front().contains(QString::fromLatin1(qVersion())));
    }

    void aRoadTypedIntoTheWindowIsTheRoadTheCommandLineBuilds() {
        ui::type(get("edtShapeName"), QStringLiteral("Feldweg"));
        ui::type(get("edtBreite"), QStringLiteral("6,5"));
        get<QCheckBox>("cboSturz")->setChecked(true);
        ui::type(get("edtSturz"), QStringLiteral("40"));
        get<QCheckBox>("cboTrafficSpline")->setChecked(true);
        const double points[][4] = {{0, 0, 0, 0}, {0, 1, 60, 10}, {40, 2, 110, -20}};
        ui::type(get("edtSplinePtsZ"), QStringLiteral("0"));
        get<QToolButton>("spbSplineAddEnd")->click();
        for (int i = 0; i < 3; ++i) {
            window_->splineEditor().selectPoint(i + 1);
            ui::type(get("edtSplinePtsX"), number(points[i][0]));
            ui::type(get("edtSplinePtsY"), number(points[i][1]));
            ui::type(get("edtSplinePtsZ"), number(points[i][2]));
            ui::type(get("edtSplinePtsYrot"), number(points[i][3]));
        }
        leave();
        for (const char side : {'R', 'L'}) {
            const auto name = [side](const char* stem) {
                return QString::fromLatin1(stem).replace(QLatin1String("Rand?"),
                                                         QStringLiteral("Rand") + QChar::fromLatin1(side));
            };
            get<QCheckBox>(qPrintable(name("cboRand?enable")))->setChecked(true);
            ui::type(get(qPrintable(name("edtRand?TexFile"))), QStringLiteral("gras.dds"));
            ui::type(get(qPrintable(name("edtRand?TexLaenge"))), QStringLiteral("10"));
            ui::type(get(qPrintable(name("edtRand?TexBreite"))), QStringLiteral("4"));
            ui::type(get(qPrintable(name("edtRand?Breite"))), QStringLiteral("1,5"));
            ui::type(get(qPrintable(name("edtRand?Winkel"))), QStringLiteral("-20"));
            ui::type(get(qPrintable(name("edtRand?Ende"))), QStringLiteral("0,4"));
            leave();
        }
        get<QCheckBox>("cboRandFuellen")->setChecked(true);
        QVERIFY(get<QCheckBox>("cboRandFuellen")->isChecked());

        presenter_->fileAnswers.push_back(fromPath(file("feldweg.ini")));
        click("bbnSavePara");
        presenter_->fileAnswers.push_back(fromPath(file("fenster.i3d")));
        click("bbnSave");
        presenter_->messages.clear();
        go();
        QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->texts().join('\n')));
        QVERIFY(get<QPlainTextEdit>("mmoStatus")->toPlainText().contains(
            QStringLiteral("Füllfläche: ")));

        QCOMPARE(ui::runCommandLine({QStringLiteral("generate"), fromPath(file("feldweg.ini")),
                                     fromPath(file("kommandozeile.i3d"))}),
                 0);
        const std::string fromWindow = trassolin::test::readFile(file("fenster.i3d"));
        QVERIFY(fromWindow.size() > 1000);
        QVERIFY(fromWindow == trassolin::test::readFile(file("kommandozeile.i3d")));
        // The next road continues the texture: TexL0 written back, the old value kept.
        QVERIFY(get("edtTexL0")->text() != QStringLiteral("0"));
        get<QToolButton>("spbOldTexL0")->click();
        QCOMPARE(get("edtTexL0")->text(), QStringLiteral("0"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
