// Takes the README's pictures: the main window with the bundled country road loaded, its menu
// with the presets, and its cross-section graphic. The window takes the size its screen
// allows, so the screen decides the picture: the README's are taken on a virtual screen of
// 1920 × 1200 with a German decimal comma; QT_SCALE_FACTOR=1.5 shows the 150 % layout, a
// screen of 1366 × 768 the small one (the offscreen platform's own screen is 800 × 800).
//
//   LC_ALL=de_DE.UTF-8 xvfb-run -a -s "-screen 0 1920x1200x24"
//       env QT_QPA_PLATFORM=xcb build/tests/trassolin_screenshots docs

#include "gui_test_support.h"

#include "uMain13/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>

#include <cstdio>

namespace {

// The window with its Datei menu and the preset submenu open, as one picture: popups are
// windows of their own, drawn here where they stand over the main window.
QPixmap withPresetMenu(QMainWindow& window) {
    QMenu* file = window.findChild<QMenu*>(QStringLiteral("mnuDatei"));
    QMenu* presets = window.findChild<QMenu*>(QStringLiteral("mnuVorlage"));
    QMenuBar* bar = window.menuBar();
    const QRect fileTitle = bar->actionGeometry(file->menuAction());
    file->popup(bar->mapToGlobal(fileTitle.bottomLeft()));
    file->setActiveAction(presets->menuAction());
    const QRect presetEntry = file->actionGeometry(presets->menuAction());
    presets->popup(file->mapToGlobal(presetEntry.topRight()));
    QApplication::processEvents();
    QPixmap picture = window.grab();
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
    QApplication::processEvents();
    bool saved = window.grab().save(folder + QStringLiteral("/hauptfenster.png"));
    saved = withPresetMenu(window).save(folder + QStringLiteral("/vorlagen-menue.png")) && saved;

    presenter.onModal = [&](QDialog& dialog) {
        QApplication::processEvents();
        saved = dialog.grab().save(folder + QStringLiteral("/schnitt-grafik.png")) && saved;
        return int(QDialog::Accepted);
    };
    window.bbnGrafikSchnittClick();
    for (const auto& m : presenter.messages) std::fprintf(stderr, "%s\n", qPrintable(m.text));
    // Closing would ask about the run's new TexL0.
    presenter.unscriptedAnswer = QStringLiteral("Verwerfen");
    return saved ? 0 : 1;
}
