// trassolin: the German desktop window.

#include "common/presenter.h"
#include "uMain13/main_window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trassolin"));
    QApplication::setApplicationVersion(QStringLiteral(TRASSOLIN_VERSION));

    // Every text of the program is German, Qt's own buttons and dialogs included.
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtGerman);
    }

    trassolin::gui::DialogPresenter presenter;
    trassolin::gui::TForm1 window(presenter);
    window.show();
    return QApplication::exec();
}
