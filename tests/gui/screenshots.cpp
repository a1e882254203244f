// Takes the README's pictures: the main window with the bundled country road loaded, and its
// cross-section graphic. Runs offscreen; QT_SCALE_FACTOR=1.5 shows the 150 % layout.
//
//   QT_QPA_PLATFORM=offscreen build/tests/trassolin_screenshots docs

#include "gui_test_support.h"

#include "uMain13/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>

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

    presenter.onModal = [&](QDialog& dialog) {
        QApplication::processEvents();
        saved = dialog.grab().save(folder + QStringLiteral("/schnitt-grafik.png")) && saved;
        return int(QDialog::Accepted);
    };
    window.bbnGrafikSchnittClick();
    for (const auto& m : presenter.messages) std::fprintf(stderr, "%s\n", qPrintable(m.text));
    return saved ? 0 : 1;
}
