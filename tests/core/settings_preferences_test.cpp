#include "settings/preferences_file.h"
#include "uGlobal/errors.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace trassolin {
namespace {

auto read(const Preferences& p, const WindowPosition& pos) {
    return std::tuple(p.minLaenge, p.minWinkel, p.minSteigung, p.minZRot, p.maxSturz,
                      p.dreieckeSym, pos.top, pos.left);
}

TEST(PreferencesFile, aFileWrittenWithEitherSeparatorReadsBack) {
    const Preferences written{2.5, 3.125, 0.1, 1e-6, 45, true};
    for (const char sep : {',', '.'}) {
        test::TempDir dir;
        Preferences prefs;
        WindowPosition pos;
        EXPECT_FALSE(readPreferencesFile(prefs, pos, dir.path()).found); // no file yet
        writePreferencesFile(written, {-20, 1900}, sep, dir.path());
        EXPECT_EQ(test::readFile(dir / "Trassolin.ini"),
                  std::string("[Preferences]\r\nminLaenge=2") + sep + "5\r\nminWinkel=3" + sep +
                      "125\r\nminSteigung=0" + sep + "1\r\nminZRot=1E-6\r\nmaxSturz=45\r\n" +
                      "DreieckeSym=1\r\nScreenPos_Top=-20\r\nScreenPos_Left=1900\r\n");
        ASSERT_TRUE(readPreferencesFile(prefs, pos, dir.path()).found);
        EXPECT_EQ(read(prefs, pos), std::tuple(2.5, 3.125, 0.1, 1e-6, 45.0, true, -20, 1900));
    }
}

TEST(PreferencesFile, missingKeysGiveTheStartValuesNotTheParameterFileDefaults) {
    test::TempDir dir;
    test::writeFile(dir / "Trassolin.ini", "[preferences]\nmaxsturz=12\nScreenPos_Top=abc\n");
    Preferences prefs{0, 0, 0, 0, 0, true};
    WindowPosition pos{7, 7};
    ASSERT_TRUE(readPreferencesFile(prefs, pos, dir.path()).found);
    // minWinkel: a parameter file would give 2.5.
    EXPECT_EQ(read(prefs, pos), std::tuple(2.0, 3.0, 1.0, prefs.minZRot, 12.0, false, 1, 1));
}

// One value that is no number costs that value alone: every other key is read, the message
// names the file and the keys, and the next save leaves what could not be read for the user to
// mend, unless the value was set anew meanwhile.
TEST(PreferencesFile, anUnreadableRealCostsOnlyItselfAndStaysInTheFile) {
    test::TempDir dir;
    test::writeFile(dir / "Trassolin.ini",
                    "[Preferences]\nminLaenge=4\nminWinkel=\nminSteigung=7\nmaxSturz=steil\n"
                    "ScreenPos_Top=300\n");
    Preferences prefs{0, 0, 0, 0, 0, false};
    WindowPosition pos{5, 6};
    const PreferencesRead found = readPreferencesFile(prefs, pos, dir.path());
    EXPECT_TRUE(found.found);
    EXPECT_EQ(found.problems,
              "Trassolin.ini [Preferences] minWinkel: '' ist kein gültiger Gleitkommawert\n"
              "Trassolin.ini [Preferences] maxSturz: 'steil' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(read(prefs, pos), std::tuple(4.0, 3.0, 7.0, 1.0, 30.0, false, 300, 1));

    prefs.minLaenge = 5; // changed in the dialog
    prefs.maxSturz = 20; // set anew: now it is the user's value
    writePreferencesFile(prefs, pos, ',', dir.path(), found);
    EXPECT_EQ(test::readFile(dir / "Trassolin.ini"),
              "[Preferences]\r\nminLaenge=5\r\nminWinkel=\r\nminSteigung=7\r\nmaxSturz=20\r\n"
              "ScreenPos_Top=300\r\nminZRot=1\r\nDreieckeSym=0\r\nScreenPos_Left=1\r\n");
}

TEST(PreferencesFile, writingKeepsOtherKeysAndAFailureNamesTheFile) {
    test::TempDir dir;
    const std::string kept = "[Fenster]\r\nBreite=800\r\n[Preferences]\r\nZuletzt=P.ini\r\n";
    test::writeFile(dir / "Trassolin.ini", kept);
    writePreferencesFile(Preferences{}, WindowPosition{}, ',', dir.path());
    EXPECT_TRUE(test::readFile(dir / "Trassolin.ini").starts_with(kept + "minLaenge=2\r\n"));

    // A hand-made file without the section: its mark and blank line stay, the section follows.
    test::writeFile(dir / "Trassolin.ini", "\xEF\xBB\xBF[Fenster]\r\nBreite=800\r\n\r\n");
    writePreferencesFile(Preferences{}, WindowPosition{}, ',', dir.path());
    EXPECT_EQ(test::readFile(dir / "Trassolin.ini"),
              "\xEF\xBB\xBF[Fenster]\r\nBreite=800\r\n\r\n[Preferences]\r\nminLaenge=2\r\n"
              "minWinkel=3\r\nminSteigung=1\r\nminZRot=1\r\nmaxSturz=30\r\nDreieckeSym=0\r\n"
              "ScreenPos_Top=1\r\nScreenPos_Left=1\r\n");

    const auto missing = dir / "fehlt";
    try {
        writePreferencesFile(Preferences{}, WindowPosition{}, ',', missing);
        ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "In " + (missing / "Trassolin.ini").string() + " kann nicht geschrieben werden");
    }
}

} // namespace
} // namespace trassolin
