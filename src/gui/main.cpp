// trassolin: the German desktop window.

#include "common/german.h"
#include "common/presenter.h"
#include "uMain13/main_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trassolin"));
    QApplication::setApplicationVersion(QStringLiteral(TRASSOLIN_VERSION));
    trassolin::gui::installGermanTranslations(app);

    trassolin::gui::DialogPresenter presenter;
    trassolin::gui::TForm1 window(presenter);
    window.show();
    return QApplication::exec();
}
