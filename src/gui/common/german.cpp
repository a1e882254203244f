#include "common/german.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace trassolin::gui {

bool installGermanTranslations(QCoreApplication& app) {
    const QLocale german(QLocale::German, QLocale::Germany);
    auto* translator = new QTranslator(&app);
    // Built into the program where Qt itself is (a static Qt has no folder to look in),
    // otherwise the ones installed with Qt.
    if (!translator->load(german, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QStringLiteral(":/translations")) &&
        !translator->load(german, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace trassolin::gui
