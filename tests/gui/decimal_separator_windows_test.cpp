// The window's decimal separator on Windows: the user's regional settings, whatever the
// environment says (a Windows user has no LANG; a shell from Linux tools may bring one).

#include "gui_test_support.h"

#include <QTest>

#include <string>

#include <windows.h>

namespace ui = trassolin::gui::test;

class DecimalSeparatorTest : public QObject {
    Q_OBJECT

private:
    std::wstring usersOwn_;

    static std::pair<char, QString> startWith(const wchar_t* decimalSymbol) {
        if (SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimalSymbol) == 0) {
            qFatal("SetLocaleInfoW failed: %lu", GetLastError());
        }
        const ui::WorkingFolder folder;
        return ui::separatorOfANewWindow();
    }

private Q_SLOTS:
    void init() {
        wchar_t own[4] = {};
        QVERIFY(GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, own, 4) != 0);
        usersOwn_ = own;
    }
    void cleanup() {
        SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, usersOwn_.c_str());
        qunsetenv("LC_ALL");
    }

    void theRegionalSettingsChooseTheSeparator() {
        using Shown = std::pair<char, QString>;
        QCOMPARE(startWith(L","), Shown(',', QStringLiteral("0,15")));
        QCOMPARE(startWith(L"."), Shown('.', QStringLiteral("0.15")));
        // Parameter files know only these two; anything else falls back to the point.
        QCOMPARE(startWith(L"\u066b"), Shown('.', QStringLiteral("0.15")));
        QCOMPARE(startWith(L",,"), Shown('.', QStringLiteral("0.15")));
    }

    void theEnvironmentDoesNotOverruleThem() {
        qputenv("LC_ALL", "de_DE.UTF-8");
        QCOMPARE(startWith(L".").first, '.');
        qputenv("LC_ALL", "en_US.UTF-8");
        QCOMPARE(startWith(L",").first, ',');
    }
};

QTEST_MAIN(DecimalSeparatorTest)
#include "decimal_separator_windows_test.moc"
