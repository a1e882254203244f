// Takes the README's pictures: the main window with the bundled country road loaded and its
// 3D preview, its menu with the presets, its cross-section graphic, the game settings
// ("Spiel …"), "Gelände" on a sample map around the road (the preview coloured by the road's
// height above it) and a long run on its way. The window
// takes the size its screen allows, so the screen decides the picture: the README's are taken
// on a virtual screen of 1920 × 1200 with a German decimal comma; QT_SCALE_FACTOR=1.5 shows the
// 150 % layout, a screen of 1366 × 768 the small one (the offscreen platform's own screen is
// 800 × 800).
//
//   LC_ALL=de_DE.UTF-8 xvfb-run -a -s "-screen 0 1920x1200x24"
//       env QT_QPA_PLATFORM=xcb build/tests/trassolin_screenshots docs

#include "gui_test_support.h"

#include "common/widgets.h"
#include "sample_map.h"
#include "uMain13/main_window.h"
#include "winding_road.h"
#include "uVorschau/preview_panel.h"
#include "uVorschau/preview_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTextBlock>
#include <QTextDocument>

#include <cstdio>

namespace {

// The window as it is on the screen. The preview is a window of its own inside it, which a
// widget's grab leaves out: its picture is drawn where it stands.
QPixmap windowPicture(trassolin::gui::TForm1& window) {
    QPixmap picture = window.grab();
    trassolin::gui::PreviewPanel& preview = window.preview();
    if (preview.view() == nullptr) return picture;
    const QImage view = preview.view()->picture();
    QWidget* display = preview.findChild<QWidget*>(QStringLiteral("Vorschau"));
    QPainter painter(&picture);
    painter.drawImage(QRect(display->mapTo(&window, QPoint(0, 0)), display->size()), view);
    return picture;
}

// The window with its Datei menu and the preset submenu open, as one picture: popups are
// windows of their own, drawn here where they stand over the main window.
QPixmap withPresetMenu(trassolin::gui::TForm1& window) {
    QMenu* file = window.findChild<QMenu*>(QStringLiteral("mnuDatei"));
    QMenu* presets = window.findChild<QMenu*>(QStringLiteral("mnuVorlage"));
    QMenuBar* bar = window.menuBar();
    const QRect fileTitle = bar->actionGeometry(file->menuAction());
    file->popup(bar->mapToGlobal(fileTitle.bottomLeft()));
    file->setActiveAction(presets->menuAction());
    const QRect presetEntry = file->actionGeometry(presets->menuAction());
    presets->popup(file->mapToGlobal(presetEntry.topRight()));
    QApplication::processEvents();
    QPixmap picture = windowPicture(window);
    QPainter painter(&picture);
    for (QMenu* menu : {file, presets}) {
        painter.drawPixmap(window.mapFromGlobal(menu->mapToGlobal(QPoint(0, 0))), menu->grab());
    }
    painter.end();
    presets->hide();
    file->hide();
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Aufruf: trassolin_screenshots ZIELORDNER\n", stderr);
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(folder);
    // The window reads and writes its preferences in the working directory.
    QDir::setCurrent(QDir::tempPath());

    trassolin::gui::test::ScriptedPresenter presenter;
    trassolin::gui::TForm1 window(presenter);
    window.show();
    presenter.fileAnswers << QStringLiteral(TRASSOLIN_EXAMPLES_DIR "/landstrasse.ini");
    window.findChild<QAbstractButton*>(QStringLiteral("bbnLoadPara"))->click();
    presenter.fileAnswers << QStringLiteral("/tmp/landstrasse.i3d");
    window.findChild<QAbstractButton*>(QStringLiteral("bbnSave"))->click();
    window.findChild<QAbstractButton*>(QStringLiteral("bbnGo"))->click();
    trassolin::gui::test::waitForRun(window);
    // The control point in the middle, shown in the preview.
    window.findChild<QSpinBox*>(QStringLiteral("sedSplinePtsNr"))->setValue(21);
    while (!window.preview().idle()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    // Close to that point, where the texture, the verges and the curves can be seen.
    if (trassolin::gui::PreviewView* view = window.preview().view()) {
        const auto scene = window.preview().scene();
        trassolin::gui::PreviewCamera& camera = view->camera();
        camera.setAngles(camera.yaw() + 0.9, 0.4);
        camera.lookAt(scene->controlPoint(20), 40.0);
    }
    bool saved = windowPicture(window).save(folder + QStringLiteral("/hauptfenster.png"));
    saved = withPresetMenu(window).save(folder + QStringLiteral("/vorlagen-menue.png")) && saved;

    presenter.onModal = [&](QDialog& dialog) {
        QApplication::processEvents();
        saved = dialog.grab().save(folder + QStringLiteral("/schnitt-grafik.png")) && saved;
        return int(QDialog::Accepted);
    };
    window.bbnGrafikSchnittClick();

    // The country road as a modder sets it up for the current game.
    window.parameters().profil = "FS25";
    window.parameters().abschnittslaenge = "250";
    window.parameters().kiStrassenspline = true;
    presenter.onModal = [&](QDialog& dialog) {
        QApplication::processEvents();
        saved = dialog.grab().save(folder + QStringLiteral("/spiel-dialog.png")) && saved;
        return int(QDialog::Rejected);
    };
    window.bbnSpielClick();

    const QString map = QDir::tempPath() + QStringLiteral("/trassolin-karte.i3d");
    trassolin::bench::writeSampleMap(window.parameters().splines, trassolin::gui::toPath(map));
    presenter.onModal = [&](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("edtGelaendeDatei"))->setText(map);
        QApplication::processEvents();
        saved = dialog.grab().save(folder + QStringLiteral("/gelaende-dialog.png")) && saved;
        return int(QDialog::Accepted);
    };
    window.findChild<QAbstractButton*>(QStringLiteral("bbnGelaende"))->click();
    // The preview coloured by the road's height above that ground.
    while (!window.preview().idle()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    if (trassolin::gui::PreviewView* view = window.preview().view()) {
        const auto scene = window.preview().scene();
        trassolin::gui::PreviewCamera& camera = view->camera();
        camera.setAngles(camera.yaw(), 1.1);
        camera.lookAt(scene->controlPoint(3), 220.0);
    }
    // The status log from the report's first line, with room for a dozen lines of it.
    auto* log = window.findChild<QPlainTextEdit*>(QStringLiteral("mmoStatus"));
    auto* split = window.findChild<QSplitter*>();
    const QList<int> sizes = split->sizes();
    const int room = 14 * log->fontMetrics().lineSpacing();
    split->setSizes({sizes[0] + sizes[1] - room, room});
    QApplication::processEvents();
    const QTextBlock report = log->document()->find(QStringLiteral("Gelände: ")).block();
    log->verticalScrollBar()->setValue(report.firstLineNumber());
    QApplication::processEvents();
    saved = windowPicture(window).save(folder + QStringLiteral("/gelaende.png")) && saved;

    // A long road on its way: the progress bar and "Abbrechen" below the fields.
    const auto road = QDir(QDir::tempPath()).filePath(QStringLiteral("trassolin-500km.ini"));
    trassolin::bench::writeWindingRoad(trassolin::gui::toPath(road), 500);
    presenter.unscriptedAnswer = QStringLiteral("Verwerfen");
    presenter.fileAnswers << road << QStringLiteral("/tmp/lang.i3d");
    window.findChild<QAbstractButton*>(QStringLiteral("bbnLoadPara"))->click();
    window.findChild<QAbstractButton*>(QStringLiteral("bbnSave"))->click();
    window.findChild<QAbstractButton*>(QStringLiteral("bbnGo"))->click();
    auto* progress = window.findChild<QProgressBar*>(QStringLiteral("prbGo"));
    while (window.running() && progress->value() < progress->maximum() / 3) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    saved = windowPicture(window).save(folder + QStringLiteral("/go-laeuft.png")) && saved;
    window.cancelRun();
    trassolin::gui::test::waitForRun(window);
    for (const auto& m : presenter.messages) std::fprintf(stderr, "%s\n", qPrintable(m.text));
    // Closing would ask about the run's new TexL0.
    presenter.unscriptedAnswer = QStringLiteral("Verwerfen");
    return saved ? 0 : 1;
}
