// Takes the README's pictures: the main window with the bundled country road loaded, its
// cross-section graphic, and "Gelände" on a sample map around the road. Runs offscreen; QT_SCALE_FACTOR=1.5 shows the 150 % layout.
//
//   QT_QPA_PLATFORM=offscreen build/tests/trassolin_screenshots docs

#include "gui_test_support.h"

#include "common/widgets.h"
#include "sample_map.h"
#include "uMain13/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
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

    const QString map = QDir::tempPath() + QStringLiteral("/trassolin-karte.i3d");
    trassolin::bench::writeSampleMap(window.parameters().splines, trassolin::gui::toPath(map));
    presenter.onModal = [&](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("edtGelaendeDatei"))->setText(map);
        QApplication::processEvents();
        saved = dialog.grab().save(folder + QStringLiteral("/gelaende-dialog.png")) && saved;
        return int(QDialog::Accepted);
    };
    window.findChild<QAbstractButton*>(QStringLiteral("bbnGelaende"))->click();
    QApplication::processEvents();
    saved = window.grab().save(folder + QStringLiteral("/gelaende.png")) && saved;
    for (const auto& m : presenter.messages) std::fprintf(stderr, "%s\n", qPrintable(m.text));
    return saved ? 0 : 1;
}
