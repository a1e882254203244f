// The window's decimal separator on Windows: the user's regional settings, whatever the
// environment says (a Windows user has no LANG; a shell from Linux tools may bring one).

#include "gui_test_support.h"

#include "common/widgets.h"
#include "support/test_support.h"
#include "uMain13/main_window.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <string>

#include <windows.h>

using namespace trassolin::gui;
namespace ui = trassolin::gui::test;

class DecimalSeparatorTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<trassolin::test::TempDir> dir_;
    std::wstring usersOwn_;

    // The separator of a window started with this decimal symbol in the regional settings,
    // and the width of the loaded village street's right verge as the window shows it.
    static std::pair<char, QString> startWith(const wchar_t* decimalSymbol) {
        if (SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimalSymbol) == 0) {
            qFatal("SetLocaleInfoW failed: %lu", GetLastError());
        }
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
        wchar_t own[4] = {};
        QVERIFY(GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, own, 4) != 0);
        usersOwn_ = own;
    }
    void cleanup() {
        SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, usersOwn_.c_str());
        qunsetenv("LC_ALL");
        QDir::setCurrent(QDir::tempPath());
        dir_.reset();
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
