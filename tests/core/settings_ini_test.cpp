#include "settings/ini_file.h"
#include "settings/text_encoding.h"
#include "uGlobal/errors.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace trassolin {
namespace {

TEST(IniFile, namesMatchWithoutCaseAndTheFirstDuplicateCounts) {
    const IniFile ini("[Fahrbahn_Geo]\r\n"
                      "  Breite = 7,5  \r\n"
                      "breite=99\r\n"
                      "Leer=\r\n"
                      "Zitat=\"  mit Blanks \"\r\n"
                      "; Sturz=3\r\n"
                      "[FAHRBAHN_GEO]\r\n"
                      "Sturz=4\r\n");
    EXPECT_EQ(ini.readString("fahrbahn_geo", "BREITE", "x"), "7,5");
    EXPECT_EQ(ini.readString("Fahrbahn_Geo", "Leer", "x"), "");
    EXPECT_EQ(ini.readString("Fahrbahn_Geo", "Zitat", "x"), "  mit Blanks ");
    EXPECT_EQ(ini.readString("Fahrbahn_Geo", "Sturz", "fehlt"), "fehlt"); // comment, 2nd section
    EXPECT_EQ(ini.readString("Anderes", "Breite", "fehlt"), "fehlt");
}

TEST(IniFile, integersAreDecimalOrHexadecimalAndAnythingElseGivesTheDefault) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"12", 12},         {"-5", -5},    {"+3", 3},         {"$1F", 31},
        {"0x1f", 31},       {"-$10", -16}, {"$FFFFFFFF", -1}, {"2147483647", 2147483647},
        {"2147483648", 77}, {"1,5", 77},   {"1.0", 77},       {"zwei", 77},
        {"", 77},           {"$", 77},     {"0x", 77},        {"--1", 77},
        {"$1FFFFFFFF", 77},
    };
    for (const auto& c : cases) {
        const IniFile ini(std::string("[S]\nK=") + c.text + "\n");
        EXPECT_EQ(ini.readInteger("S", "K", 77), c.expected) << c.text;
    }
    const IniFile bools("[S]\nEin=2\nAus=0\nKaputt=ja\n");
    EXPECT_TRUE(bools.readBool("S", "Ein", false));
    EXPECT_FALSE(bools.readBool("S", "Aus", true));
    EXPECT_TRUE(bools.readBool("S", "Kaputt", true));
    EXPECT_FALSE(bools.readBool("S", "Kaputt", false));
}

TEST(IniFile, valuesAreReadUpTo2047CharactersWithoutCuttingACharacter) {
    const std::string umlauts(2 * 3000, 'x');
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "\xC3\xA4"; // "ä" in UTF-8
    const IniFile ini("[S]\nK=" + text + "\nA=" + umlauts + "\n");
    EXPECT_EQ(ini.readString("S", "K", ""), text.substr(0, 2 * 2047));
    EXPECT_EQ(ini.readString("S", "A", "").size(), 2047u);
}

TEST(IniFile, writingUpdatesInPlaceAndKeepsEverythingElse) {
    IniFile ini("; von Hand\n"
                "[fahrbahn_geo]\n"
                "BREITE=7\n"
                "Eigenes=bleibt\n"
                "\n"
                "[Alt]\n"
                "Breite7=3\n");
    ini.writeString("Fahrbahn_Geo", "Breite", "8,5");
    ini.writeString("Fahrbahn_Geo", "Sturz", "1");
    ini.writeString("Neu", "Wert", "ä");
    ini.writeInteger("Neu", "Zahl", -12);
    ini.writeBool("Neu", "An", true);
    EXPECT_EQ(ini.encoded(), "; von Hand\r\n"
                             "[fahrbahn_geo]\r\n"
                             "BREITE=8,5\r\n"
                             "Eigenes=bleibt\r\n"
                             "Sturz=1\r\n"
                             "\r\n"
                             "[Alt]\r\n"
                             "Breite7=3\r\n"
                             "[Neu]\r\n"
                             "Wert=\xE4\r\n"
                             "Zahl=-12\r\n"
                             "An=1\r\n");
}

TEST(IniFile, aNewSectionFollowsTheLastLineWithoutABlankLine) {
    IniFile fresh;
    fresh.writeString("App1", "key1", "a");
    fresh.writeString("App2", "key4", "b");
    fresh.writeString("App3", "key5", "c");
    EXPECT_EQ(fresh.encoded(), "[App1]\r\nkey1=a\r\n[App2]\r\nkey4=b\r\n[App3]\r\nkey5=c\r\n");

    // Hand-made files: what they hold stays as it is, blank lines included.
    const struct {
        const char* file;
        const char* written;
    } cases[] = {
        {"[A]\r\nk=v\r\n", "[A]\r\nk=v\r\nn=2\r\n[B]\r\nx=1\r\n"},
        {"[A]\r\nk=v", "[A]\r\nk=v\r\nn=2\r\n[B]\r\nx=1\r\n"}, // no final line end
        {"[A]\nk=v\n", "[A]\r\nk=v\r\nn=2\r\n[B]\r\nx=1\r\n"},
        {"[A]\r\nk=v\r\n\r\n", "[A]\r\nk=v\r\nn=2\r\n\r\n[B]\r\nx=1\r\n"},
        {"[A]\r\n", "[A]\r\nn=2\r\n[B]\r\nx=1\r\n"},
        {"; nur ein Kommentar", "; nur ein Kommentar\r\n[A]\r\nn=2\r\n[B]\r\nx=1\r\n"},
        {"", "[A]\r\nn=2\r\n[B]\r\nx=1\r\n"},
    };
    for (const auto& c : cases) {
        IniFile ini(c.file);
        ini.writeInteger("A", "n", 2);
        ini.writeString("B", "x", "1");
        EXPECT_EQ(ini.encoded(), c.written) << c.file;
    }
}

TEST(IniFile, aByteOrderMarkIsKeptWithUtf8AndNeverAdded) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string utf8 = "[S]\r\nName=Straße\r\n";
    const std::string cp1252 = "[S]\r\nName=Stra\xDF"
                               "e\r\n";
    const std::string addedUtf8 = "K=ä\r\n[T]\r\nX=1\r\n";
    const std::string addedCp1252 = "K=\xE4\r\n[T]\r\nX=1\r\n";
    const struct {
        std::string file;
        std::string written;
    } cases[] = {
        {bom + utf8, bom + utf8 + addedUtf8},
        {bom + "[S]\r\n", bom + "[S]\r\n" + addedUtf8},
        {bom, bom + "[S]\r\n" + addedUtf8},
        // A mark in front of cp1252 bytes: read as cp1252, written as the mark says.
        {bom + cp1252, bom + utf8 + addedUtf8},
        // Without a mark: cp1252 whenever it holds the text, as before.
        {cp1252, cp1252 + addedCp1252},
        {utf8, cp1252 + addedCp1252},
    };
    for (const auto& c : cases) {
        IniFile ini(c.file);
        ini.writeString("S", "K", "ä");
        ini.writeString("T", "X", "1");
        EXPECT_EQ(ini.encoded(), c.written) << c.file;
    }

    test::TempDir dir;
    const auto file = dir / "Parameter.ini";
    test::writeFile(file, "\xEF\xBB\xBF[Preferences]\r\nStrassenName=Łódź\r\n");
    IniFile ini = IniFile::readForUpdate(file);
    ini.writeString("Preferences", "minLaenge", "2,5");
    ini.save(file);
    EXPECT_EQ(test::readFile(file),
              "\xEF\xBB\xBF[Preferences]\r\nStrassenName=Łódź\r\nminLaenge=2,5\r\n");
    const IniFile back = IniFile::read(file);
    EXPECT_EQ(back.readString("Preferences", "StrassenName", ""), "Łódź");
    EXPECT_EQ(back.readString("Preferences", "minLaenge", ""), "2,5");
}

TEST(IniFile, aLineBreakInAValueIsRefusedBeforeItCanPlantAnotherKey) {
    IniFile ini;
    EXPECT_THROW(ini.writeString("S", "Name", "x\r\nenable1=1"), TrassolinError);
    EXPECT_EQ(ini.encoded(), "");
}

TEST(SettingsText, cp1252BytesSurviveARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    // Valid UTF-8 would be taken as such; every byte pattern here is not.
    ASSERT_FALSE(isValidUtf8(all));
    EXPECT_EQ(encodeSettingsText(decodeSettingsText(all)), all);
    EXPECT_EQ(decodeSettingsText("Stra\xDF"
                                 "e \x80"),
              "Straße €");
}

TEST(SettingsText, utf8IsRecognisedAndWrittenOnlyWhenCp1252CannotHoldTheText) {
    EXPECT_EQ(decodeSettingsText("Straße"), "Straße");
    EXPECT_EQ(decodeSettingsText("\xEF\xBB\xBF[S]"), "[S]");
    EXPECT_EQ(decodeSettingsText("\xEF\xBB\xBF"
                                 "Stra\xDF"
                                 "e"),
              "Straße");
    EXPECT_EQ(encodeSettingsText("Straße"), "Stra\xDF"
                                            "e");
    EXPECT_EQ(encodeSettingsText("Straße Łódź"), "Straße Łódź");
}

TEST(IniFile, aFailedSaveReportsTheFileAndLeavesNoFile) {
    test::TempDir dir;
    IniFile ini;
    ini.writeString("S", "K", "1");
    std::filesystem::create_directory(dir / "Parameter.ini");
    const auto missing = dir / "fehlt" / "Parameter.ini";
    for (const auto& target : {dir / "Parameter.ini", missing}) {
        try {
            ini.save(target);
            ADD_FAILURE() << "no error for " << target;
        } catch (const IoError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "In " + target.string() + " kann nicht geschrieben werden");
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Parameter.ini"));
    EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
    EXPECT_THROW(IniFile::readForUpdate(dir / "Parameter.ini"), IoError);
}

} // namespace
} // namespace trassolin
