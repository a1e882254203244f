// The window's decimal separator on Linux: the environment locale, as the command line's
// default, LC_ALL before LC_NUMERIC before LANG.

#include "gui_test_support.h"

#include "common/widgets.h"
#include "support/test_support.h"
#include "uMain13/main_window.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <cstdlib>
#include <memory>

using namespace trassolin::gui;
namespace ui = trassolin::gui::test;

class DecimalSeparatorTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<trassolin::test::TempDir> dir_;

    // The separator of a window started under these variables, and the width of the loaded
    // village street's right verge as the window shows it.
    static std::pair<char, QString> startWith(const char* lcAll, const char* lcNumeric,
                                              const char* lang) {
        const auto set = [](const char* name, const char* value) {
            if (value == nullptr) {
                unsetenv(name);
            } else {
                setenv(name, value, 1);
            }
        };
        set("LC_ALL", lcAll);
        set("LC_NUMERIC", lcNumeric);
        set("LANG", lang);
        ui::ScriptedPresenter presenter;
        TForm1 window(presenter);
        window.loadParameters(QString::fromUtf8(TRASSOLIN_EXAMPLES_DIR "/dorfstrasse.ini"));
        return {window.decimalSeparator(),
                window.findChild<QLineEdit*>(QStringLiteral("edtRandRBreite"))->text()};
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<trassolin::test::TempDir>();
        QDir::setCurrent(fromPath(dir_->path()));
    }
    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        dir_.reset();
    }

    void theEnvironmentLocaleChoosesTheSeparator() {
        using Shown = std::pair<char, QString>;
        QCOMPARE(startWith("de_DE.UTF-8", nullptr, nullptr), Shown(',', QStringLiteral("0,15")));
        QCOMPARE(startWith(nullptr, "en_GB.UTF-8", "de_DE.UTF-8"), Shown('.', QStringLiteral("0.15")));
        QCOMPARE(startWith("de_CH.UTF-8", "de_DE.UTF-8", nullptr), Shown('.', QStringLiteral("0.15")));
        QCOMPARE(startWith(nullptr, nullptr, nullptr), Shown('.', QStringLiteral("0.15")));
    }
};

QTEST_MAIN(DecimalSeparatorTest)
#include "decimal_separator_posix_test.moc"
