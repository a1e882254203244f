// The cross-section graphic, the preferences dialog and the parameter display, opened from
// the main window as a user opens them. Runs offscreen.

#include "gui_test_support.h"

#include "common/german.h"
#include "common/widgets.h"
#include "support/test_support.h"
#include "uGlobal/cross_section.h"
#include "uGlobal/rand_punkte.h"
#include "uGrafik/cross_section_window.h"
#include "uMain13/main_window.h"
#include "uMain13/segment_editor.h"
#include "uShowParameter/parameter_display.h"
#include "uSplinePreferences/preferences_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace trassolin;
using namespace trassolin::gui;
namespace ui = trassolin::gui::test;

namespace {

constexpr QRgb kBlackPixel = 0xff000000;
constexpr QRgb kWhitePixel = 0xffffffff;
constexpr QRgb kGreenPixel = 0xff008000;
constexpr QRgb kBluePixel = 0xff0000ff;
constexpr QRgb kRedPixel = 0xffff0000;

struct Segment {
    double length, angleDegrees;
};

// An enabled profile built as the editor builds it.
void shape(TRandPunkte& profile, std::initializer_list<Segment> segments) {
    SilentMessageSink silent;
    profile.enabled = true;
    profile.resize(static_cast<int>(segments.size()) + 1, silent);
    int i = 1;
    for (const Segment& s : segments) {
        profile.getSegment(i)->length = s.length;
        profile.getSegment(i)->angle = s.angleDegrees * std::numbers::pi / 180.0;
        profile.updateSegmentGeometry(i++);
    }
    profile.recompute(silent);
}

QImage render(int width, int height, const TRandPunkte& right, const TRandPunkte& left,
              double roadWidth, bool undistorted) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::gray);
    renderCrossSection(image, right, left, roadWidth, undistorted);
    return image;
}

} // namespace

class SecondaryWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ui::WindowUnderTest> at_;
    const std::filesystem::path* dir_ = nullptr; // the window's working folder
    ui::ScriptedPresenter* presenter_ = nullptr;
    TForm1* window_ = nullptr;

    template <class W = QLineEdit> W* get(const char* name) {
        auto* w = window_->findChild<W*>(QString::fromLatin1(name));
        if (w == nullptr) qFatal("no control %s", name);
        return w;
    }
    template <class W = QLineEdit> static W* in(QWidget& window, const char* name) {
        auto* w = window.findChild<W*>(QString::fromLatin1(name));
        if (w == nullptr) qFatal("no control %s", name);
        return w;
    }
    QString number(double value) { return formatNumber(value, window_->decimalSeparator()); }
    void click(const char* name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }

private Q_SLOTS:
    void init() {
        at_ = std::make_unique<ui::WindowUnderTest>();
        dir_ = &at_->folder();
        presenter_ = &at_->presenter();
        window_ = &at_->window();
    }
    void cleanup() { at_.reset(); }

    void qtSpeaksGerman() {
        QVERIFY(installGermanTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Abbrechen"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Open"), QStringLiteral("Öffnen"));
    }

    void theRoadAloneIsCentredWithItsMargins() {
        const TRandPunkte right("rechter Rand", true), left("linker Rand", false);
        // B = 7: x from -3.95 to 3.95 m (5 % + 0.1 m), y from -0.1 to 0.1 m.
        const QImage image = render(200, 100, right, left, 7.0, false);
        QCOMPARE(image.pixel(100, 50), kBlackPixel);
        QCOMPARE(image.pixel(100, 49), kBlackPixel); // 3 px wide
        QCOMPARE(image.pixel(100, 51), kBlackPixel);
        QCOMPARE(image.pixel(100, 47), kWhitePixel);
        QCOMPARE(image.pixel(13, 50), kBlackPixel);  // -3.5 m: column 11.4 -> 11
        QCOMPARE(image.pixel(187, 50), kBlackPixel); // 3.5 m: column 188.6 -> 189
        QCOMPARE(image.pixel(6, 50), kWhitePixel);
        QCOMPARE(image.pixel(194, 50), kWhitePixel);
    }

    void aRightProfileIsGreenWithRedNormalsAndFillsTheArea() {
        TRandPunkte right("rechter Rand", true), left("linker Rand", false);
        shape(right, {{2, 90}}); // a wall 2 m up at the right road edge
        // B = 4: x from -2.3 to 2.3 m, y from -0.2 to 2.2 m; stretched onto 460 x 480 px.
        const QImage image = render(460, 480, right, left, 4.0, false);
        QCOMPARE(image.pixel(430, 240), kGreenPixel);
        QCOMPARE(image.pixel(430, 60), kGreenPixel);
        QCOMPARE(image.pixel(430, 30), kWhitePixel);  // the top of the wall is at row 40
        QCOMPARE(image.pixel(420, 40), kRedPixel);    // its normal points away from the road
        QCOMPARE(image.pixel(420, 440), kRedPixel);   // the origin's normal, over the road line
        QCOMPARE(image.pixel(200, 440), kBlackPixel); // the road at height 0
    }

    void undistortedGivesAMetreTheSamePixelsBothWays() {
        TRandPunkte right("rechter Rand", true), left("linker Rand", false);
        shape(right, {{2, 90}});
        const CrossSectionView view = crossSectionView(right, left, 4.0, 460, 480, true);
        QCOMPARE(460 / (view.xmax - view.xmin), 480 / (view.ymax - view.ymin));
        // 100 px per metre: the 2 m wall spans rows 340 to 140, the 4 m road columns 30 to 430.
        const QImage image = render(460, 480, right, left, 4.0, true);
        QCOMPARE(image.pixel(430, 150), kGreenPixel);
        QCOMPARE(image.pixel(430, 330), kGreenPixel);
        QCOMPARE(image.pixel(430, 120), kWhitePixel);
        QCOMPARE(image.pixel(430, 360), kWhitePixel);
        QCOMPARE(image.pixel(200, 340), kBlackPixel);
        QCOMPARE(image.pixel(25, 340), kWhitePixel);
    }

    void aLeftProfileIsBlueAndMirrored() {
        TRandPunkte right("rechter Rand", true), left("linker Rand", false);
        shape(left, {{1, 0}}); // 1 m flat outwards from the left road edge
        // B = 4: x from -3.35 to 2.35 m on 570 px; the profile runs from column 135 to 35.
        const QImage image = render(570, 100, right, left, 4.0, false);
        QCOMPARE(image.pixel(80, 50), kBluePixel);
        QCOMPARE(image.pixel(35, 40), kRedPixel); // the end point's normal points up
        QCOMPARE(image.pixel(300, 50), kBlackPixel);
        QCOMPARE(image.pixel(20, 50), kWhitePixel);
    }

    void anAreaWithoutSizeDrawsNothing() {
        class Counting final : public Canvas {
        public:
            void fill(Colour) override { ++calls; }
            void setPen(Colour, int) override { ++calls; }
            void moveTo(int, int) override { ++calls; }
            void lineTo(int, int) override { ++calls; }
            int calls = 0;
        } canvas;
        TRandPunkte right("rechter Rand", true), left("linker Rand", false);
        shape(right, {{2, 90}});
        drawCrossSection(canvas, 0, 300, right, left, 7.0, true);
        drawCrossSection(canvas, 300, 0, right, left, 7.0, false);
        QCOMPARE(canvas.calls, 0);
    }

    void editsInTheGraphicReachTheMainWindowWithoutARedraw() {
        get<QCheckBox>("cboRandRenable")->setChecked(true);
        QImage before, afterEdit, afterRedraw;
        bool shown = false, rightShown = false, leftShown = true;
        presenter_->onModal = [&](QDialog& dialog) {
            shown = true;
            auto& grafik = static_cast<TForm2&>(dialog);
            before = grafik.drawing().image();
            rightShown = in<QGroupBox>(dialog, "gboRandRSegmente")->isVisible();
            leftShown = in<QGroupBox>(dialog, "gboRandLSegmente")->isVisible();
            ui::type(in(dialog, "edtRandRBreite"), QStringLiteral("3"));
            ui::type(in(dialog, "edtRandRWinkel"), QStringLiteral("-45"));
            ui::focus(in(dialog, "edtRandREnde"));
            afterEdit = grafik.drawing().image();
            QTest::mouseClick(in<QPushButton>(dialog, "btnNeuZeichnen"), Qt::LeftButton);
            afterRedraw = grafik.drawing().image();
            return int(QDialog::Accepted);
        };
        click("bbnGrafikSchnitt");
        QVERIFY(shown);
        QVERIFY(rightShown);
        QVERIFY(!leftShown);
        QVERIFY(!before.isNull());
        QVERIFY(afterEdit == before);
        QVERIFY(afterRedraw != before);
        const TRandPunkte& profile = window_->parameters().rechterRand;
        QCOMPARE(profile.getSegment(1)->length, 3.0);
        QCOMPARE(profile.getSegment(1)->x0, 3 * std::cos(-std::numbers::pi / 4));
        QCOMPARE(get("edtRandRBreite")->text(), QStringLiteral("3"));
        QCOMPARE(get("edtRandRWinkel")->text(), QStringLiteral("-45"));
    }

    void anUnreadableRoadWidthKeepsTheGraphicClosed() {
        ui::type(get("edtBreite"), QStringLiteral("sieben"));
        QVERIFY(!ui::opensModal(*presenter_, [this] { click("bbnGrafikSchnitt"); }));
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral(
                     "Breite (Fahrbahn - Geometrie): 'sieben' ist kein gültiger Gleitkommawert")});
    }

    void cancelledPreferencesChangeNothingAndShowTheValuesInForce() {
        QStringList shown;
        presenter_->onModal = [&](QDialog& dialog) {
            shown << in(dialog, "edtWinkel")->text() << in(dialog, "edtStirnBreite")->text();
            in(dialog, "edtWinkel")->setText(QStringLiteral("9"));
            in<QCheckBox>(dialog, "cboAlteDreiecke")->setChecked(true);
            return int(QDialog::Rejected);
        };
        click("bbnPreferences");
        QCOMPARE(window_->parameters().preferences.minWinkel, 3.0);
        QCOMPARE(window_->parameters().preferences.dreieckeSym, false);
        presenter_->onModal = [&](QDialog& dialog) {
            shown << in(dialog, "edtWinkel")->text();
            if (in<QCheckBox>(dialog, "cboAlteDreiecke")->isChecked()) shown << "symmetrisch";
            return int(QDialog::Rejected);
        };
        click("bbnPreferences");
        QCOMPARE(shown, (QStringList{"3", "5", "3"}));
    }

    void preferencesTakeEitherSeparatorAndStopAtTheFirstBadField() {
        window_->parameters().preferences.minSteigung = 0.5;
        QString shownSlope;
        presenter_->onModal = [&](QDialog& dialog) {
            shownSlope = in(dialog, "edtSlope")->text();
            in(dialog, "edtLaenge")->setText(QStringLiteral("2,5"));
            in(dialog, "edtWinkel")->setText(QStringLiteral("1.5"));
            in(dialog, "edtSlope")->setText(QStringLiteral("flach"));
            in(dialog, "edtZrotMin")->setText(QStringLiteral("7"));
            return int(QDialog::Accepted);
        };
        click("bbnPreferences");
        QCOMPARE(shownSlope, number(0.5));
        const Preferences& p = window_->parameters().preferences;
        QCOMPARE(p.minLaenge, 2.5);
        QCOMPARE(p.minWinkel, 1.5);
        QCOMPARE(p.minSteigung, 0.5);
        QCOMPARE(p.minZRot, 1.0);
        QCOMPARE(presenter_->texts(),
                 QStringList{QStringLiteral("minimale Krümmung (Allgemeine Einstellungen): 'flach' "
                                            "ist kein gültiger Gleitkommawert")});

        presenter_->onModal = [&](QDialog& dialog) {
            in(dialog, "edtSlope")->setText(QStringLiteral("0,75"));
            in(dialog, "edtStirnHoehe")->setText(QStringLiteral("2.5"));
            in<QCheckBox>(dialog, "cboStirnTexRot")->setChecked(true);
            presenter_->fileAnswers << QStringLiteral("/texturen/stirn_diffuse.dds");
            in<QPushButton>(dialog, "bbnRandRLoadTex")->click();
            return int(QDialog::Accepted);
        };
        click("bbnPreferences");
        QCOMPARE(p.minSteigung, 0.75);
        const TFuellFlaeche& fill = window_->parameters().fill;
        QCOMPARE(fill.textureHeight, 2.5);
        QCOMPARE(fill.swap, true);
        QCOMPARE(fill.textureFile, std::string("stirn_diffuse.dds"));
    }

    void theParameterDisplayListsEvenASwitchedOffEdgeAndKeepsItsFont() {
        shape(window_->parameters().linkerRand, {{1.5, -30}});
        window_->parameters().linkerRand.enabled = false;
        QFont chosen;
        chosen.setPointSize(17);
        presenter_->nextFont = chosen;
        QString caption, text;
        presenter_->onModal = [&](QDialog& dialog) {
            caption = dialog.windowTitle();
            text = in<QPlainTextEdit>(dialog, "Memo1")->toPlainText();
            in<QAbstractButton>(dialog, "SpeedButton1")->click();
            return int(QDialog::Accepted);
        };
        click("bbnShowLeftParameter");
        QCOMPARE(caption, QStringLiteral("Parameter linker Rand"));
        QVERIFY(text.startsWith(QStringLiteral("Randpunkte-Ausgabe für: linker Rand\n")));
        QVERIFY(text.contains(QStringLiteral("Punkt 1: Länge=") + number(1.5) +
                              QStringLiteral("; Winkel=-30;")));

        int pointSize = 0;
        presenter_->onModal = [&](QDialog& dialog) {
            caption = dialog.windowTitle();
            text = in<QPlainTextEdit>(dialog, "Memo1")->toPlainText();
            pointSize = in<QPlainTextEdit>(dialog, "Memo1")->font().pointSize();
            return int(QDialog::Accepted);
        };
        click("bbnShowRightParameter");
        QCOMPARE(pointSize, 17);
        QCOMPARE(caption, QStringLiteral("Parameter rechter Rand"));
        QVERIFY(text.startsWith(QStringLiteral("Randpunkte-Ausgabe für: rechter Rand")));
    }
};

QTEST_MAIN(SecondaryWindowsTest)
#include "secondary_windows_test.moc"
