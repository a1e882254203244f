#include "settings/ini_file.h"
#include "settings/parameter_file.h"
#include "settings/text_encoding.h"
#include "uGlobal/errors.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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

// What Windows editors save as "Unicode" (UTF-16 with its mark), and every line end.
TEST(IniFile, readsUtf16AndEveryLineEndWithoutKeepingACarriageReturn) {
    const auto utf16 = [](std::u16string_view text, bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t unit : text) {
            const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? hi : lo;
            bytes += bigEndian ? lo : hi;
        }
        return bytes;
    };
    const std::u16string text = u"[Fahrbahn_Textur]\r\nFileName=Straße_\U0001F6A7.dds\r\nLaenge=20\r\n";
    for (const bool bigEndian : {false, true}) {
        const IniFile ini(utf16(text, bigEndian));
        EXPECT_EQ(ini.readString("Fahrbahn_Textur", "FileName", "?"), "Straße_\U0001F6A7.dds");
        EXPECT_EQ(ini.readString("Fahrbahn_Textur", "Laenge", "?"), "20");
    }
    for (const std::string_view end : {"\n", "\r\n", "\r", "\r\r\n"}) {
        const std::string bytes = "[S]" + std::string(end) + "Textur=road.dds" + std::string(end) +
                                  "Laenge=20" + std::string(end);
        const IniFile ini(bytes);
        EXPECT_EQ(ini.readString("S", "Textur", "?"), "road.dds") << bytes.size();
        EXPECT_EQ(ini.readString("S", "Laenge", "?"), "20") << bytes.size();
        EXPECT_EQ(ini.encoded(), "[S]\r\nTextur=road.dds\r\nLaenge=20\r\n") << bytes.size();
    }
}

// cp1252 bytes that happen to be valid UTF-8 would come back as other text.
TEST(SettingsText, textWhoseCp1252BytesReadAsUtf8IsWrittenAsMarkedUtf8) {
    const std::string tricky = "KreuzungÃ¤"; // its cp1252 bytes C3 A4 spell "ä" in UTF-8
    const std::string bytes = encodeSettingsText(tricky);
    EXPECT_EQ(bytes, "\xEF\xBB\xBF" + tricky);
    EXPECT_EQ(decodeSettingsText(bytes), tricky);
    EXPECT_EQ(encodeSettingsText("Straße"), "Stra\xDF" "e"); // unambiguous: cp1252 as before
}

// Whatever text a field holds comes back from a saved file unchanged.
TEST(IniFile, everyTextOfLatin1AndTheBasicPlaneSurvivesSaveAndLoad) {
    std::mt19937 random(1252);
    const auto character = [&](bool latin1) -> char32_t {
        for (;;) {
            const char32_t cp = latin1 ? random() % 0x100 : random() % 0x10000;
            if (cp < 0x20 || cp == 0x7F || (cp >= 0xD800 && cp <= 0xDFFF)) continue;
            return cp;
        }
    };
    const auto utf8 = [](char32_t cp) {
        std::string out;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
        return out;
    };
    for (int k = 0; k < 20000; ++k) {
        const bool latin1 = k % 2 == 0;
        std::string value = "<";
        const int length = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i) value += utf8(character(latin1 || i % 3 != 0));
        value += ">"; // no blank or quote at the ends, which the reader trims
        IniFile ini;
        ini.writeString("Preferences", "StrassenName", value);
        const IniFile back(ini.encoded());
        ASSERT_EQ(back.readString("Preferences", "StrassenName", "?"), value) << k;
    }
}

// The reader trims blanks and takes off one pair of quotes: a value that would lose either is
// written in double quotes, and everything else as it stands (an ordinary file stays byte for
// byte what it was).
TEST(IniFile, aTextWithBlanksOrQuotesAtItsEndsReadsBackAsItWasWritten) {
    const struct {
        std::string value, line;
    } cases[] = {
        {"'s Dorfweg'", "K=\"'s Dorfweg'\""},
        {"'s Dorfweg", "K='s Dorfweg"},
        {"road.dds ", "K=\"road.dds \""},
        {" road.dds", "K=\" road.dds\""},
        {"\tTab", "K=\"\tTab\""},
        {"\"zitiert\"", "K=\"\"zitiert\"\""},
        {"''", "K=\"''\""},
        {" ", "K=\" \""},
        {"\"", "K=\""},
        {"a \"b\" c", "K=a \"b\" c"},
        {"Straße Süd", "K=Straße Süd"},
        {"", "K="},
    };
    for (const auto& c : cases) {
        IniFile ini;
        ini.writeString("S", "K", c.value);
        ini.writeString("S", "K", c.value); // in place, too
        const std::string text = decodeSettingsText(ini.encoded());
        EXPECT_EQ(text, "[S]\r\n" + c.line + "\r\n") << c.value;
        EXPECT_EQ(IniFile(ini.encoded()).readString("S", "K", "?"), c.value) << c.value;
    }
}

TEST(ParameterFile, fieldTextsWithQuotesOrBlanksSurviveALoadAndASave) {
    test::TempDir dir;
    const auto file = dir / "P.ini";
    ParameterSet set;
    set.strassenName = "'s Dorfweg'";
    set.texturFileName = "asphalt.dds ";
    set.rechterRand.textureFileName = " \"kante\" ";
    saveParameterFile(file, set, ',');
    for (int round = 0; round < 2; ++round) {
        ParameterSet back;
        CollectingMessageSink messages;
        loadParameterFile(file, back, messages);
        EXPECT_EQ(back.strassenName, "'s Dorfweg'");
        EXPECT_EQ(back.texturFileName, "asphalt.dds ");
        EXPECT_EQ(back.rechterRand.textureFileName, " \"kante\" ");
        saveParameterFile(file, back, ',');
    }
}

// A second mark behind the file's own (a file saved twice by an editor that adds one), or a
// file pasted into another: the section behind it is read, and a save adds no second one.
TEST(IniFile, aByteOrderMarkAtTheStartOfALineHidesNoSection) {
    const std::string bom = "\xEF\xBB\xBF";
    for (const std::string& file :
         {bom + bom + "[Preferences]\r\nStrassenName=Ring\r\n",
          bom + bom + bom + "[Preferences]\r\nStrassenName=Ring\r\n",
          "[Splines]\r\nAnzahl=2\r\n" + bom + "[Preferences]\r\nStrassenName=Ring\r\n",
          "[Preferences]\r\n" + bom + "StrassenName=Ring\r\n",
          // Behind the marks cp1252 bytes, which are no UTF-8.
          bom + bom + "[Preferences]\r\nStrassenName=Ring\r\nOrt=Stra\xDF" "e\r\n"}) {
        IniFile ini(file);
        EXPECT_TRUE(ini.hasSection("Preferences"));
        EXPECT_EQ(ini.readString("Preferences", "StrassenName", "Strasse"), "Ring");
        ini.writeString("Preferences", "minLaenge", "2");
        const std::string saved = ini.encoded();
        EXPECT_EQ(saved.find("[Preferences]"), saved.rfind("[Preferences]")) << saved;
        EXPECT_EQ(IniFile(saved).readString("Preferences", "StrassenName", "Strasse"), "Ring");
        EXPECT_EQ(IniFile(saved).readString("Preferences", "Ort", "Straße"), "Straße");
    }
}

// A file far beyond any parameter file is refused by its size before it is read whole, and
// one of millions of lines before each costs a list entry.
TEST(IniFile, aFileFarLargerThanAnySettingsFileIsRefusedNamingItsSize) {
    test::TempDir dir;
    const auto big = dir / "gross.ini";
    test::writeFile(big, "[Preferences]\r\n");
    std::filesystem::resize_file(big, kMaxSettingsFileBytes + 1); // sparse: costs no disk
    const auto blank = dir / "leer.ini";
    test::writeFile(blank, "[Preferences]\n" + std::string(kMaxSettingsFileLines, '\n'));
    const struct {
        std::filesystem::path file;
        std::string message;
    } cases[] = {
        {big, "Die Datei " + big.string() +
                  " ist mit 65 MB zu groß für eine Parameterdatei (höchstens 64 MB)"},
        {blank, "Die Datei " + blank.string() +
                    " ist mit 2.000.001 Zeilen zu lang für eine Parameterdatei (höchstens "
                    "2.000.000)"},
    };
    for (const auto& c : cases) {
        ParameterSet set;
        CollectingMessageSink messages;
        try {
            loadParameterFile(c.file, set, messages);
            ADD_FAILURE() << "no error for " << c.file;
        } catch (const TrassolinError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        // A save into such a file does not overwrite what it could not read.
        EXPECT_THROW(saveParameterFile(c.file, set, ','), TrassolinError);
    }
    EXPECT_EQ(std::filesystem::file_size(big), kMaxSettingsFileBytes + 1);
}

TEST(ParameterFile, aFileWithoutAnySectionOfAParameterFileIsRefused) {
    test::TempDir dir;
    const std::string foreign = "[Irgendwas]\r\nBreite=3\r\n";
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"leer.ini", ""}, {"fremd.ini", foreign}, {"binaer.ini", std::string("\0\x01\x02", 3)}}) {
        test::writeFile(dir / name, bytes);
        ParameterSet set;
        set.breite = "9";
        CollectingMessageSink messages;
        try {
            loadParameterFile(dir / name, set, messages);
            ADD_FAILURE() << name << " was loaded";
        } catch (const TrassolinError& e) {
            EXPECT_EQ(e.what(), (dir / name).string() + " ist keine Parameterdatei");
        }
        EXPECT_EQ(set.breite, "9") << name;
        EXPECT_THROW(loadEdgeFromParameterFile(dir / name, set, EdgeSide::Left, messages),
                     TrassolinError);
    }
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
