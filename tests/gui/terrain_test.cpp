// The road on the map's ground: the height maps and masks Trassolin writes, read back by Qt's
// own PNG reader (libpng), and "Gelände" in the window as a user works it. Runs offscreen.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "io/output_file.h"
#include "settings/parameter_file.h"
#include "support/test_support.h"
#include "terrain/flattened_ground.h"
#include "terrain/footprint_mask.h"
#include "terrain/png_image.h"
#include "terrain/road_footprint.h"
#include "uGelaende/terrain_dialog.h"
#include "uGlobal/numbers.h"
#include "uMain13/main_window.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

using namespace trassolin;
using namespace trassolin::gui;
namespace ui = trassolin::gui::test;

namespace {

// A small map whose height map lies in "data" beside it: the ground rises 0.1 m per metre
// along +x from 10 m at the map's edge (a scale of 65.535 m makes one value step a
// millimetre).
void writeMap(const std::filesystem::path& dir, int side, double unitsPerPixel) {
    QDir(fromPath(dir)).mkdir(QStringLiteral("data"));
    trassolin::test::writeHeightMap(dir / "data" / "dem.png", side, side, [=](int c, int) {
        return static_cast<std::uint16_t>(10000 + std::lround(100 * unitsPerPixel * c));
    });
    trassolin::test::writeFile(
        dir / "karte.i3d",
        "<i3D name=\"karte\"><Files><File fileId=\"2\" filename=\"data/dem.png\"/></Files><Scene>"
        "<TerrainTransformGroup name=\"terrain\" heightMapId=\"2\" heightScale=\"65.535\" "
        "unitsPerPixel=\"" +
            formatGeneral(unitsPerPixel, '.') + "\"/></Scene></i3D>");
}

// A flat verge of 2 m, as the parameter file holds it for `side` ("rechts", "links").
std::string flatVerge(const std::string& side) {
    return "[Rand_" + side +
           "_Geo]\r\nenable1=1\r\nnSegments=1\r\nBreite0=0\r\nWinkel0=0\r\nBreite1=2\r\n"
           "Winkel1=0\r\n[Rand_" +
           side +
           "_Textur]\r\nFileName=verge.dds\r\nLaenge=8\r\nBreite=2\r\nStart=0\r\n"
           "Ende0=0\r\nEnde1=0,5\r\n";
}

// A level road 6 m wide at `y` m along +z from z = -`half` to `half` at x = 0; verges of 2 m
// when asked.
std::string levelRoad(const char* y, double half, bool verges) {
    const std::string z = formatGeneral(half, ',');
    return "[Fahrbahn_Geo]\r\nBreite=6\r\n[Fahrbahn_Textur]\r\nLaenge=2\r\n" +
           (verges ? flatVerge("rechts") + flatVerge("links")
                   : "[Rand_rechts_Geo]\r\nenable1=0\r\n[Rand_links_Geo]\r\nenable1=0\r\n") +
           "[Splines]\r\nAnzahl=2\r\n[SplinePts1]\r\nY=" + y + "\r\nZ=-" + z +
           "\r\n[SplinePts2]\r\nY=" + y + "\r\nZ=" + z + "\r\n";
}

// Level ground at 10 m with a ridge across z = 0, 0.5 m high and falling 0.05 m per metre:
// 101 × 101 pixels at 1 m, x and z from -50 to 50.
std::uint16_t ridgeValue(int, int r) {
    return static_cast<std::uint16_t>(10000 + std::max(0, 500 - 50 * std::abs(r - 50)));
}

} // namespace

class TerrainTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ui::WindowUnderTest> at_;
    const std::filesystem::path* dir_ = nullptr; // the window's working folder
    ui::ScriptedPresenter* presenter_ = nullptr;
    TForm1* window_ = nullptr;

    void click(const char* name) {
        QTest::mouseClick(ui::control<QAbstractButton>(*window_, name), Qt::LeftButton);
    }
    QString log() const {
        return window_->findChild<QPlainTextEdit*>(QStringLiteral("mmoStatus"))->toPlainText();
    }

private Q_SLOTS:
    void init() {
        at_ = std::make_unique<ui::WindowUnderTest>();
        dir_ = &at_->folder();
        presenter_ = &at_->presenter();
        window_ = &at_->window();
    }
    void cleanup() { at_.reset(); }

    void qtReadsTheHeightMapsAndMasksAsWritten() {
        const auto value16 = [](int c, int r) {
            return static_cast<std::uint16_t>((c * 4099 + r * 257) % 65536);
        };
        trassolin::test::writeHeightMap(*dir_ / "dem.png", 67, 31, value16);
        const QImage dem(fromPath(*dir_ / "dem.png"));
        QCOMPARE(dem.format(), QImage::Format_Grayscale16);
        QCOMPARE(dem.size(), QSize(67, 31));
        for (int r = 0; r < 31; ++r) {
            const auto* line = reinterpret_cast<const quint16*>(dem.constScanLine(r));
            for (int c = 0; c < 67; ++c)
                QCOMPARE(line[c], value16(c, r));
        }
        writeGreyPng(*dir_ / "maske.png", 45, 7, 8, [](int r, std::span<std::uint16_t> p) {
            for (std::size_t c = 0; c < p.size(); ++c)
                p[c] = static_cast<std::uint16_t>((c * 37 + r) % 256);
        });
        const QImage mask(fromPath(*dir_ / "maske.png"));
        QCOMPARE(mask.format(), QImage::Format_Grayscale8);
        for (int r = 0; r < 7; ++r) {
            for (int c = 0; c < 45; ++c)
                QCOMPARE(int(mask.constScanLine(r)[c]), (c * 37 + r) % 256);
        }
    }

    // The road across the slope of a map with 2 m between pixels, where the ground is 13.2 m
    // high and rises 0.1 m per metre to its left: its right border 0.3 m above the ground, its
    // left one 0.3 m below. The map is chosen through the file button.
    void terrainReportsTheRoadOnTheChosenMap() {
        writeMap(*dir_, 33, 2.0);
        trassolin::test::writeFile(*dir_ / "quer.ini", levelRoad("13,2", 20, false));
        window_->openRoad(fromPath(*dir_ / "quer.ini"));
        presenter_->fileAnswers = {fromPath(*dir_ / "karte.i3d")};
        bool scaleEnabled = true;
        presenter_->onModal = [&](QDialog& dialog) {
            QTest::mouseClick(ui::control<QAbstractButton>(dialog, "bbnGelaendeDatei"),
                              Qt::LeftButton);
            scaleEnabled = ui::control(dialog, "edtHoehenskala")->isEnabled();
            return int(QDialog::Accepted);
        };
        click("bbnGelaende");
        QVERIFY(presenter_->messages.empty());
        QVERIFY(!scaleEnabled); // the map names its own scale
        const QChar comma(window_->decimalSeparator());
        // '#' stands for the window's decimal separator.
        QString report = (QStringLiteral("Gelände: ") + fromPath(*dir_ / "data" / "dem.png") +
                          QStringLiteral(" – 33 × 33 Pixel, 64 × 64 m, 2 m je Pixel, Höhen "
                                         "von 10 bis 16#4 m\n"
                                         "Fahrbahn: max. 0#30 m über, 0#30 m unter dem "
                                         "Gelände\n"
                                         "Toleranz 0#1 m überschritten:\n"
                                         "  rechter Fahrbahnrand 0–40 m: bis 0#30 m über "
                                         "dem Gelände (bei 0 m)\n"
                                         "  linker Fahrbahnrand 0–40 m: bis 0#30 m unter "
                                         "dem Gelände (bei 0 m)"));
        report.replace(QLatin1Char('#'), comma);
        QVERIFY2(log().endsWith(report), qPrintable(log()));

        // The same from the menu, with a tolerance the road keeps.
        presenter_->onModal = [&](QDialog& dialog) {
            ui::control(dialog, "edtToleranz")
                ->setText(QStringLiteral("0") + comma + QStringLiteral("5"));
            return int(QDialog::Accepted);
        };
        window_->findChild<QAction*>(QStringLiteral("actGelaende"))->trigger();
        QVERIFY(presenter_->messages.empty());
        QVERIFY2(log().endsWith(QStringLiteral("Toleranz 0") + comma +
                                QStringLiteral("5 m eingehalten")),
                 qPrintable(log()));
    }

    void aHeightMapNeedsItsScaleAndSpacing() {
        writeMap(*dir_, 5, 1.0);
        trassolin::test::writeFile(*dir_ / "kurz.ini", levelRoad("10,2", 1, false));
        window_->openRoad(fromPath(*dir_ / "kurz.ini"));
        presenter_->onModal = [&](QDialog& dialog) {
            ui::control(dialog, "edtGelaendeDatei")->setText(fromPath(*dir_ / "data" / "dem.png"));
            if (!ui::control(dialog, "edtEinheitenProPixel")->isEnabled())
                return int(QDialog::Rejected);
            ui::control(dialog, "edtEinheitenProPixel")->setText(QStringLiteral("2"));
            ui::control(dialog, "edtHoehenskala")
                ->setText(QStringLiteral("65") + QChar(window_->decimalSeparator()) +
                          QStringLiteral("535"));
            return int(QDialog::Accepted);
        };
        click("bbnGelaende");
        QVERIFY2(presenter_->messages.empty(), qPrintable(presenter_->takeTexts().join('\n')));
        // Twice the spacing of the file: 8 m across, the ground at x = 0 now 10.2 m.
        QVERIFY2(log().contains(QStringLiteral("5 × 5 Pixel, 8 × 8 m, 2 m je Pixel")),
                 qPrintable(log()));
        QVERIFY2(log().contains(QStringLiteral("Fahrbahn: max. 0") +
                                QChar(window_->decimalSeparator()) + QStringLiteral("15 m über")),
                 qPrintable(log()));
    }

    void whatCannotBeCheckedIsSaidInABox() {
        writeMap(*dir_, 5, 1.0);
        trassolin::test::writeFile(*dir_ / "lang.ini", levelRoad("10", 20, false));
        window_->openRoad(fromPath(*dir_ / "lang.ini"));
        const struct {
            QString file;
            QString message;
        } cases[] = {
            {QString(), QStringLiteral("Bitte die Karte oder ihre Höhenkarte wählen")},
            {fromPath(*dir_ / "fehlt.i3d"), QStringLiteral("Die Datei ") +
                                                fromPath(*dir_ / "fehlt.i3d") +
                                                QStringLiteral(" kann nicht geöffnet werden")},
            {fromPath(*dir_ / "karte.i3d"),
             QStringLiteral("Station 0 m (rechter Fahrbahnrand, x = -3, z = -20) liegt außerhalb "
                            "des Geländes (x von -2 bis 2 m, z von -2 bis 2 m)")},
        };
        for (const auto& c : cases) {
            presenter_->onModal = [&](QDialog& dialog) {
                ui::control(dialog, "edtGelaendeDatei")->setText(c.file);
                return int(QDialog::Accepted);
            };
            click("bbnGelaende");
            QCOMPARE(presenter_->takeTexts(), QStringList{c.message});
        }
        // Cancelled: nothing happens, not even for a file that is missing.
        presenter_->onModal = [](QDialog&) { return int(QDialog::Rejected); };
        const QString before = log();
        click("bbnGelaende");
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(log(), before);
    }

    // The files a modder takes into the editor, read back by Qt's own PNG reader: the height
    // map flattened under a level road with verges over a ridge, and the road's mask.
    void theFlattenedHeightMapAndTheMaskFitTheRoad() {
        trassolin::test::writeHeightMap(*dir_ / "dem.png", 101, 101, ridgeValue);
        trassolin::test::writeFile(*dir_ / "strasse.ini", levelRoad("10", 40, true));
        ParameterSet params;
        CollectingMessageSink messages;
        loadParameterFile(*dir_ / "strasse.ini", params, messages);
        const RoadFootprint road = roadFootprint(params, messages, RandomSequence{}, '.');
        const HeightMap ground = loadHeightMap(*dir_ / "dem.png", {65.535, 1.0});
        {
            OutputFile out(*dir_ / "flach.png");
            writeFlattenedHeightMap(out, *dir_ / "dem.png", ground,
                                    flattenedPixels(ground, road.surfaces, {0.02, 3.0}, '.'));
            out.commit();
            const SampleGrid grid = maskGrid(ground, 0);
            OutputFile mask(*dir_ / "maske.png");
            writeFootprintMask(mask, grid, footprint(grid, road.road(), road.verges()));
            mask.commit();
        }
        const QImage original(fromPath(*dir_ / "dem.png"));
        const QImage flat(fromPath(*dir_ / "flach.png"));
        const QImage mask(fromPath(*dir_ / "maske.png"));
        QCOMPARE(flat.format(), QImage::Format_Grayscale16);
        QCOMPARE(flat.size(), QSize(101, 101));
        QCOMPARE(mask.format(), QImage::Format_Grayscale8);
        QCOMPARE(mask.size(), QSize(101, 101));
        int kept = 0;
        for (int r = 0; r < 101; ++r) {
            const auto* before = reinterpret_cast<const quint16*>(original.constScanLine(r));
            const auto* after = reinterpret_cast<const quint16*>(flat.constScanLine(r));
            const uchar* painted = mask.constScanLine(r);
            for (int c = 0; c < 101; ++c) {
                const int x = c - 50, z = r - 50;
                const bool along = std::abs(z) <= 40;
                // Road and verges (|x| <= 5) at the road's 10 m less 2 cm; three metres on,
                // the pixels exactly as they were.
                if (along && std::abs(x) <= 5) {
                    QCOMPARE(int(after[c]), 9980);
                } else if (std::abs(x) >= 8 || std::abs(z) >= 43) {
                    QCOMPARE(after[c], before[c]);
                    ++kept;
                }
                const int expected = !along             ? 0
                                     : std::abs(x) <= 3 ? 255
                                     : std::abs(x) <= 5 ? 128
                                                        : 0;
                QCOMPARE(int(painted[c]), expected);
            }
        }
        QCOMPARE(kept, 101 * 101 - 15 * 85);
    }
};

QTEST_MAIN(TerrainTest)
#include "terrain_test.moc"
