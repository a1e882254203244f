// The road on the map's ground: the height maps and masks Trassolin writes, read back by Qt's
// own PNG reader (libpng), and "Gelände" in the window as a user works it. Runs offscreen.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "support/test_support.h"
#include "terrain/png_image.h"
#include "uGelaende/terrain_dialog.h"
#include "uGlobal/numbers.h"
#include "uMain13/main_window.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace trassolin;
using namespace trassolin::gui;
namespace ui = trassolin::gui::test;
using trassolin::test::TempDir;

namespace {

// A small map whose height map lies in "data" beside it.
void writeMap(const TempDir& dir, int side, double unitsPerPixel) {
    QDir(fromPath(dir.path())).mkdir(QStringLiteral("data"));
    trassolin::test::writeHeightMap(dir / "data" / "dem.png", side, side, [](int c, int r) {
        return static_cast<std::uint16_t>(100 * c + r);
    });
    trassolin::test::writeFile(
        dir / "karte.i3d",
        "<i3D name=\"karte\"><Files><File fileId=\"2\" filename=\"data/dem.png\"/></Files><Scene>"
        "<TerrainTransformGroup name=\"terrain\" heightMapId=\"2\" heightScale=\"255\" "
        "unitsPerPixel=\"" +
            formatGeneral(unitsPerPixel, '.') + "\"/></Scene></i3D>");
}

} // namespace

class TerrainTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<ui::ScriptedPresenter> presenter_;
    std::unique_ptr<TForm1> window_;

    template <class W = QLineEdit> static W* in(QWidget& window, const char* name) {
        auto* w = window.findChild<W*>(QString::fromLatin1(name));
        if (w == nullptr) qFatal("no control %s", name);
        return w;
    }
    void click(const char* name) {
        QTest::mouseClick(in<QAbstractButton>(*window_, name), Qt::LeftButton);
    }
    QString log() const {
        return window_->findChild<QPlainTextEdit*>(QStringLiteral("mmoStatus"))->toPlainText();
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<TempDir>();
        QDir::setCurrent(fromPath(dir_->path()));
        presenter_ = std::make_unique<ui::ScriptedPresenter>();
        window_ = std::make_unique<TForm1>(*presenter_);
        QVERIFY(ui::showActive(*window_));
    }
    void cleanup() {
        window_.reset();
        QDir::setCurrent(QDir::tempPath());
        dir_.reset();
    }

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

    void terrainFindsTheGroundOfTheChosenMap() {
        writeMap(*dir_, 33, 2.0);
        presenter_->fileAnswers = {fromPath(*dir_ / "karte.i3d")};
        bool scaleEnabled = true;
        presenter_->onModal = [&](QDialog& dialog) {
            QTest::mouseClick(in<QAbstractButton>(dialog, "bbnGelaendeDatei"), Qt::LeftButton);
            scaleEnabled = in(dialog, "edtHoehenskala")->isEnabled();
            return int(QDialog::Accepted);
        };
        click("bbnGelaende");
        QVERIFY(presenter_->messages.empty());
        QVERIFY(!scaleEnabled); // the map names its own scale
        QVERIFY2(log().contains(QStringLiteral("Gelände: ") + fromPath(*dir_ / "data" / "dem.png") +
                                QStringLiteral(" – 33 × 33 Pixel, 64 × 64 m, 2 m je Pixel")),
                 qPrintable(log()));
    }

    void aHeightMapNeedsItsScaleAndSpacing() {
        writeMap(*dir_, 5, 1.0);
        presenter_->onModal = [&](QDialog& dialog) {
            in(dialog, "edtGelaendeDatei")->setText(fromPath(*dir_ / "data" / "dem.png"));
            if (!in(dialog, "edtEinheitenProPixel")->isEnabled()) return int(QDialog::Rejected);
            in(dialog, "edtEinheitenProPixel")->setText(QStringLiteral("0,5"));
            in(dialog, "edtHoehenskala")->setText(QStringLiteral("100"));
            return int(QDialog::Accepted);
        };
        click("bbnGelaende");
        QVERIFY(presenter_->messages.empty());
        QVERIFY2(log().contains(QStringLiteral("5 × 5 Pixel, 2 × 2 m, 0") +
                                QChar(window_->decimalSeparator()) +
                                QStringLiteral("5 m je Pixel")),
                 qPrintable(log()));
    }

    void whatCannotBeCheckedIsSaidInABox() {
        writeMap(*dir_, 5, 1.0);
        const struct {
            QString file;
            QString message;
        } cases[] = {
            {QString(), QStringLiteral("Bitte die Karte oder ihre Höhenkarte wählen")},
            {fromPath(*dir_ / "fehlt.i3d"), QStringLiteral("Die Datei ") +
                                                fromPath(*dir_ / "fehlt.i3d") +
                                                QStringLiteral(" kann nicht geöffnet werden")},
        };
        for (const auto& c : cases) {
            presenter_->onModal = [&](QDialog& dialog) {
                in(dialog, "edtGelaendeDatei")->setText(c.file);
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
};

QTEST_MAIN(TerrainTest)
#include "terrain_test.moc"
