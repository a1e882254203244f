// The window's decimal separator on Linux: the environment locale, as the command line's
// default, LC_ALL before LC_NUMERIC before LANG.

#include "gui_test_support.h"

#include <QTest>

#include <cstdlib>

namespace ui = trassolin::gui::test;

class DecimalSeparatorTest : public QObject {
    Q_OBJECT

private:
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
        const ui::WorkingFolder folder;
        return ui::separatorOfANewWindow();
    }

private Q_SLOTS:
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
