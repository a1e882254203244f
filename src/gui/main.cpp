// trassolin: the German desktop window.
//
//   trassolin [PARAMETER.ini]
//
// Test hook: with TRASSOLIN_TEST_GO=AUSGABE.i3d in the environment the window presses Go for
// that document as soon as it shows (and the parameter file, if given, is loaded), so that
// scripts can check the built program as a whole; it stays open afterwards.

#include "common/german.h"
#include "common/presenter.h"
#include "common/text_rendering.h"
#include "uMain13/main_window.h"
#include "uMain13/start_arguments.h"

#include <QApplication>

int main(int argc, char** argv) {
    trassolin::gui::chooseTextRendering();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trassolin"));
    QApplication::setApplicationVersion(QStringLiteral(TRASSOLIN_VERSION));
    trassolin::gui::installGermanTranslations(app);

    trassolin::gui::DialogPresenter presenter;
    trassolin::gui::TForm1 window(presenter);
    window.show();
    window.openCommandLine(QApplication::arguments().mid(1));
    if (const QString output = qEnvironmentVariable("TRASSOLIN_TEST_GO"); !output.isEmpty()) {
        trassolin::gui::pressGoFor(window, output);
    }
    return QApplication::exec();
}
