#include "settings/parameter_file.h"
#include "settings/parameter_table.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

namespace trassolin {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// Warnings of the profile recompute are not the point of these tests.
struct NullSink final : MessageSink {
    void show(MessageKind, std::string_view) override {}
};

void fillEdge(TRandPunkte& edge, double shift) {
    NullSink sink;
    // The second angle is stored to 0.01 degree.
    edge = test::profileOf(edge.rightSide(), {{1.5, -30.0, 0.1 + shift}, {0.25, 12.254, 0.2 + shift}});
    edge.resetInsteadOfMirror = true;
    edge.textureFileName = "verge_ä.dds";
    edge.textureLength = 20.123456789012 + shift;
    edge.textureWidth = 1.0 / 3.0;
    edge.texturePixels = 512;
    edge.getSegment(0)->u = shift;
    edge.getSegment(1)->manualNormal = true;
    edge.getSegment(1)->normalAngle = 300.0 * kDeg; // kept as -60 degrees
    edge.updateSegmentGeometry(1);
    edge.recompute(sink);
}

// A set in which every value differs from its start value or its load default.
ParameterSet distinctiveSet() {
    ParameterSet p;
    p.strassenName = "Landstraße", p.breite = "7,5", p.schleppkurve = "12.5", p.sturz = "2";
    p.schleppkurveErzeugen = p.transformGroup = true, p.fahrbahnErzeugen = false;
    p.texturFileName = "asphalt.dds", p.texturLaenge = "25", p.texStart = "0,1";
    p.texEnde = "0,9", p.texL0 = "0,25", p.texPixel = "$200", p.rueckfaltungP = "0.3";
    p.ruecksetzen = true, p.streckung = "1e-3";
    p.trafficMitte = p.trafficRechts = p.trafficLinks = true;
    p.trafficRechtsProzent = "40", p.trafficLinksProzent = "60,5";
    p.fuellFlaecheErzeugen = true;
    p.preferences = {0.123456789012345, 2.75, 1e-7, 123456789012345.0, 17.5, true};
    fillEdge(p.rechterRand, 0.0);
    fillEdge(p.linkerRand, 0.5);
    p.splines.append();
    for (int i = 0; i < 3; ++i) {
        TSplinePkt& s = *p.splines.get(i);
        s.X = -2183.49 + i, s.Y = 219.752, s.Z = 1.0 / 7.0 * i;
        s.Xrot = -0.5, s.Yrot = 180.0 - i, s.Zrot = 1.76294e-05;
    }
    p.splines.setCurrent(2);
    p.splines.setFileName("/tmp/export.i3d");
    p.fill.textureFile = "stirn.dds", p.fill.textureHeight = 3.25, p.fill.textureWidth = 0.1;
    p.fill.swap = true;
    p.gegenspurUmkehren = p.kiStrassenspline = p.verkehrsspline = true;
    p.tempo = "70,5", p.tempoFaktor = "0.8";
    return p;
}

struct LoadedFile {
    ParameterSet set;
    CollectingMessageSink messages;
};

IniFile saved(const ParameterSet& set, char separator = ',') {
    IniFile ini;
    saveParameterSet(ini, set, separator);
    return ini;
}

TEST(ParameterFile, aSavedSetLoadsBackWithEveryValue) {
    const ParameterSet original = distinctiveSet();
    for (const char separator : {',', '.'}) {
        const std::string first = saved(original, separator).encoded();
        ParameterSet loaded;
        NullSink sink;
        loadParameterSet(IniFile(first), loaded, sink);
        // The editor's current point and the import path are not read back.
        EXPECT_EQ(loaded.splines.current(), 0);
        EXPECT_EQ(loaded.splines.fileName(), "");
        loaded.splines.setCurrent(original.splines.current());
        loaded.splines.setFileName(original.splines.fileName());
        // Every value differs from its start value and its load default, so a value lost on
        // the way changes the second file; reals agree to the 15 digits the general form keeps.
        EXPECT_EQ(saved(loaded, separator).encoded(), first);
        EXPECT_NEAR(loaded.rechterRand.getSegment(2)->angle, 12.25 * kDeg, 1e-15);
        EXPECT_NEAR(loaded.rechterRand.getSegment(1)->normalAngle, -60 * kDeg, 1e-15);
    }
}

TEST(ParameterFile, writesTheKeysInTheOrderOfANewFileWithTheCallersSeparator) {
    ParameterSet set;
    set.rechterRand.getSegment(1)->angle = -30.004 * kDeg;
    const std::string text = saved(set).encoded();
    EXPECT_EQ(text.substr(0, text.find("[Fahrbahn_Textur]")),
              "[Preferences]\r\nStrassenName=Strasse\r\nminLaenge=2\r\nminWinkel=3\r\n"
              "minSteigung=1\r\nminZRot=1\r\nmaxSturz=30\r\nDreieckeSym=0\r\n"
              "[Fahrbahn_Geo]\r\nBreite=7\r\nSchleppkurve=10\r\nSturz=1\r\n"
              "SchleppkurveErzeugen=0\r\nSturzErzeugen=0\r\nFahrbahnErzeugen=1\r\n"
              "TransformGroup=1\r\n");
    EXPECT_NE(
        text.find("[Rand_rechts_Geo]\r\nenable1=0\r\nnSegments=1\r\nBreite0=0\r\nWinkel0=0\r\n"
                  "Normale0=90\r\nNormaleMan0=0\r\nBreite1=0\r\nWinkel1=-30\r\n"),
        std::string::npos);
    EXPECT_NE(text.find("[Rand_rechts_Textur]\r\nFileName=\r\nLaenge=0\r\nBreite=0\r\nPixel=0\r\n"
                        "Ruecksetzen=0\r\nStart=0\r\nEnde0=0\r\nEnde1=0\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Splines]\r\nAnzahl=2\r\naktuell=0\r\nFileName=\r\n[SplinePts1]\r\nX=0"),
              std::string::npos);
    EXPECT_TRUE(text.ends_with("[FuellFlaeche]\r\nerzeugen=0\r\nTextur=\r\nTexturHoehe=5\r\n"
                               "TexturBreite=5\r\nTauschHB=0\r\n"));
    set.fill.textureHeight = 2.5;
    EXPECT_NE(saved(set, ',').encoded().find("TexturHoehe=2,5"), std::string::npos);
    EXPECT_NE(saved(set, '.').encoded().find("TexturHoehe=2.5"), std::string::npos);
}

TEST(ParameterFile, aNewFileHasTheLayoutOfTheGoldenFile) {
    test::TempDir dir;
    saveParameterFile(dir / "Parameter.ini", ParameterSet{}, ',');
    EXPECT_EQ(test::readFile(dir / "Parameter.ini"),
              test::readFile(test::testDataDir() / "parameter_start_values.ini"));
}

// A road without the game's options keeps the file it always had; the section, once there,
// follows every change, so options switched off stay off after the next load.
TEST(ParameterFile, theKiSectionComesLastAndOnlyOnceItSaysSomething) {
    EXPECT_EQ(saved(ParameterSet{}).encoded().find("[KI]"), std::string::npos);
    const struct {
        void (*change)(ParameterSet&);
        const char* section;
    } cases[] = {
        {[](ParameterSet& p) { p.gegenspurUmkehren = true; },
         "[KI]\r\nGegenspurUmkehren=1\r\nKIStrassenspline=0\r\nVerkehrsspline=0\r\nTempo=50\r\n"
         "TempoFaktor=1\r\n"},
        {[](ParameterSet& p) { p.kiStrassenspline = true; },
         "[KI]\r\nGegenspurUmkehren=0\r\nKIStrassenspline=1\r\nVerkehrsspline=0\r\nTempo=50\r\n"
         "TempoFaktor=1\r\n"},
        {[](ParameterSet& p) { p.verkehrsspline = true; },
         "[KI]\r\nGegenspurUmkehren=0\r\nKIStrassenspline=0\r\nVerkehrsspline=1\r\nTempo=50\r\n"
         "TempoFaktor=1\r\n"},
        {[](ParameterSet& p) { p.tempo = "50,0"; }, // the text as typed, not its value
         "[KI]\r\nGegenspurUmkehren=0\r\nKIStrassenspline=0\r\nVerkehrsspline=0\r\n"
         "Tempo=50,0\r\nTempoFaktor=1\r\n"},
        {[](ParameterSet& p) { p.tempoFaktor = "0.5"; },
         "[KI]\r\nGegenspurUmkehren=0\r\nKIStrassenspline=0\r\nVerkehrsspline=0\r\nTempo=50\r\n"
         "TempoFaktor=0.5\r\n"},
    };
    for (const auto& c : cases) {
        ParameterSet set;
        c.change(set);
        const std::string text = saved(set).encoded();
        EXPECT_TRUE(text.ends_with(std::string("TauschHB=0\r\n") + c.section)) << text;
        ParameterSet loaded;
        NullSink sink;
        loadParameterSet(IniFile(text), loaded, sink);
        EXPECT_EQ(saved(loaded).encoded(), text);
    }

    test::TempDir dir;
    const auto file = dir / "Parameter.ini";
    ParameterSet set = distinctiveSet();
    saveParameterFile(file, set, ',');
    set.gegenspurUmkehren = set.kiStrassenspline = set.verkehrsspline = false;
    set.tempo = "50", set.tempoFaktor = "1";
    saveParameterFile(file, set, ',');
    EXPECT_TRUE(test::readFile(file).ends_with(
        "[KI]\r\nGegenspurUmkehren=0\r\nKIStrassenspline=0\r\nVerkehrsspline=0\r\nTempo=50\r\n"
        "TempoFaktor=1\r\n"));
}

TEST(ParameterFile, aFileWithoutTheKiSectionSwitchesTheGameOptionsOff) {
    ParameterSet set = distinctiveSet();
    CollectingMessageSink messages;
    loadParameterFile(test::testDataDir() / "parameter_start_values.ini", set, messages);
    EXPECT_FALSE(set.gegenspurUmkehren);
    EXPECT_FALSE(set.kiStrassenspline);
    EXPECT_FALSE(set.verkehrsspline);
    EXPECT_EQ(set.tempo, "50");
    EXPECT_EQ(set.tempoFaktor, "1");
}

// Angles are written in degrees rounded by dividing by 0.01: 1.225 is stored just above the
// tie, yet its quotient is exactly 122.5, which goes to the even 122; the quotient of -0.235
// is -23.499999999999996.
TEST(ParameterFile, anglesAreWrittenRoundedToHundredthsOfADegree) {
    const struct {
        double degrees;
        const char* written;
    } cases[] = {
        {-0.235, "-0,23"}, {1.225, "1,22"}, {2.675, "2,68"}, {12.254, "12,25"}, {-30.004, "-30"}};
    for (const auto& c : cases) {
        ParameterSet set;
        set.rechterRand.getSegment(1)->angle = c.degrees * kDeg;
        set.rechterRand.getSegment(1)->normalAngle = c.degrees * kDeg;
        const std::string text = saved(set).encoded();
        EXPECT_NE(text.find(std::string("Winkel1=") + c.written + "\r\n"), std::string::npos)
            << c.degrees;
        EXPECT_NE(text.find(std::string("Normale1=") + c.written + "\r\n"), std::string::npos)
            << c.degrees;
    }
}

TEST(ParameterFile, missingKeysLoadTheirDefaultsWhereTheyDifferFromTheStartValues) {
    LoadedFile f;
    f.set.rechterRand.getSegment(1)->u = 0.7;
    loadParameterSet(IniFile("[Rand_rechts_Geo]\nnSegments=3\nenable1=0\n"), f.set, f.messages);
    const ParameterSet& p = f.set;
    EXPECT_EQ(p.breite, "6");
    EXPECT_TRUE(p.schleppkurveErzeugen);
    EXPECT_TRUE(p.sturzErzeugen);
    EXPECT_FALSE(p.transformGroup);
    EXPECT_EQ(p.preferences.minWinkel, 2.5);
    EXPECT_EQ(p.preferences.minSteigung, 0.5);
    EXPECT_EQ(p.preferences.maxSturz, 0.25);
    EXPECT_EQ(p.fill.textureHeight, 2.0);
    EXPECT_EQ(p.fill.textureWidth, 2.0);
    EXPECT_TRUE(p.linkerRand.enabled);
    for (const TRandPunkte* edge : {&p.rechterRand, &p.linkerRand}) {
        EXPECT_EQ(edge->textureFileName, "bitte eingeben");
        EXPECT_EQ(edge->textureLength, 5.0);
        EXPECT_EQ(edge->textureWidth, 5.0);
    }
    // Breite0 defaults to 1; only the recompute of a switched-on profile sets it back to 0.
    EXPECT_EQ(p.rechterRand.getSegment(0)->length, 1.0);
    // A missing Ende keeps what the segment held; appended segments start from 0.
    ASSERT_EQ(p.rechterRand.count(), 4);
    EXPECT_EQ(p.rechterRand.getSegment(1)->u, 0.7);
    EXPECT_EQ(p.rechterRand.getSegment(3)->u, 0.0);
    EXPECT_EQ(p.splines.count(), 2);
}

// As Windows writes it: cp1252 bytes, CR LF, decimal commas; names in any case, hex integers.
TEST(ParameterFile, aHandMadeGermanWindowsFileLoadsAndKeepsItsEncoding) {
    test::TempDir dir;
    const auto file = dir / "Parameter.ini";
    test::writeFile(file, "[preferences]\r\nSTRASSENNAME=Stra\xDF"
                          "e\r\nminWinkel=2,75\r\n"
                          "dreieckesym=$1\r\n[Fahrbahn_Geo]\r\nBreite=7,5\r\nTransformGroup=0x1\r\n"
                          "[Rand_rechts_Geo]\r\nenable1=0\r\nWinkel1=-30,25\r\n"
                          "[Rand_rechts_Textur]\r\nFileName=gr\xFCn.dds\r\nLaenge=2,5\r\n"
                          "[Splines]\r\nAnzahl=1\r\n[SplinePts1]\r\nX=12,75\r\n");
    LoadedFile f;
    loadParameterFile(file, f.set, f.messages);
    EXPECT_EQ(f.set.strassenName, "Straße");
    EXPECT_EQ(f.set.preferences.minWinkel, 2.75);
    EXPECT_TRUE(f.set.preferences.dreieckeSym);
    EXPECT_EQ(f.set.breite, "7,5");
    EXPECT_TRUE(f.set.transformGroup);
    EXPECT_FALSE(f.set.rechterRand.enabled);
    EXPECT_NEAR(f.set.rechterRand.getSegment(1)->angle, -30.25 * kDeg, 1e-15);
    EXPECT_EQ(f.set.rechterRand.textureFileName, "grün.dds");
    EXPECT_EQ(f.set.rechterRand.textureLength, 2.5);
    ASSERT_EQ(f.set.splines.count(), 1);
    EXPECT_EQ(f.set.splines.get(0)->X, 12.75);

    saveParameterFile(file, f.set, ',');
    const std::string rewritten = test::readFile(file);
    EXPECT_TRUE(rewritten.starts_with("[preferences]\r\nSTRASSENNAME=Stra\xDF"
                                      "e\r\nminWinkel=2,75"));
    EXPECT_NE(rewritten.find("FileName=gr\xFCn.dds\r\n"), std::string::npos);
    // The sections the file lacked follow its last line directly, in the order of a new file.
    EXPECT_NE(rewritten.find("[SplinePts1]\r\nX=12,75\r\nY=0\r\nZ=0\r\nXrot=0\r\nYrot=0\r\n"
                             "Zrot=0\r\n[Fahrbahn_Textur]\r\nFileName=road_diffuse.dds\r\n"),
              std::string::npos);
    EXPECT_EQ(rewritten.find("\r\n\r\n"), std::string::npos);
    EXPECT_TRUE(rewritten.ends_with("[FuellFlaeche]\r\nerzeugen=0\r\nTextur=\r\nTexturHoehe=2\r\n"
                                    "TexturBreite=2\r\nTauschHB=0\r\n"));
}

TEST(ParameterFile, aFileWithAByteOrderMarkKeepsItAndItsBlankLines) {
    test::TempDir dir;
    const auto file = dir / "Parameter.ini";
    const std::string handMade = "\xEF\xBB\xBF[Preferences]\r\nStrassenName=Łódź\r\n\r\n"
                                 "[Splines]\r\nAnzahl=1\r\n\r\n";
    test::writeFile(file, handMade);
    LoadedFile f;
    loadParameterFile(file, f.set, f.messages);
    saveParameterFile(file, f.set, ',');
    const std::string rewritten = test::readFile(file);
    EXPECT_TRUE(rewritten.starts_with("\xEF\xBB\xBF[Preferences]\r\nStrassenName=Łódź\r\n"
                                      "minLaenge=2\r\n"))
        << rewritten;
    EXPECT_NE(rewritten.find("DreieckeSym=0\r\n\r\n[Splines]\r\nAnzahl=1\r\naktuell=0\r\n"
                             "FileName=\r\n\r\n[Fahrbahn_Geo]\r\n"),
              std::string::npos)
        << rewritten;

    LoadedFile back;
    loadParameterFile(file, back.set, back.messages);
    EXPECT_EQ(back.set.strassenName, "Łódź");
}

TEST(ParameterFile, savingIntoAnExistingFileKeepsForeignAndStaleEntries) {
    test::TempDir dir;
    const auto file = dir / "Parameter.ini";
    test::writeFile(file, "; Strecke Nord\n[Fahrbahn_Geo]\nBreite=9\nNotiz=eigene\n\n"
                          "[Rand_rechts_Geo]\nnSegments=5\nBreite5=4\n\n"
                          "[SplinePts7]\nX=70\n\n[Eigenes]\nA=1\n");
    ParameterSet set;
    saveParameterFile(file, set, ',');
    const std::string text = test::readFile(file);
    EXPECT_TRUE(text.starts_with("; Strecke Nord\r\n[Fahrbahn_Geo]\r\nBreite=7\r\nNotiz=eigene\r\n"
                                 "Schleppkurve=10\r\n"));
    for (const char* kept :
         {"Breite5=4", "[SplinePts7]\r\nX=70", "[Eigenes]\r\nA=1", "nSegments=1"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;

    LoadedFile f;
    loadParameterFile(file, f.set, f.messages);
    EXPECT_EQ(f.set.rechterRand.count(), 2);
    EXPECT_EQ(f.set.splines.count(), 2);
}

TEST(ParameterFile, aFailedSaveLeavesTheFileByteForByte) {
    test::TempDir dir;
    const auto file = dir / "Parameter.ini";
    const std::string original = "[Fahrbahn_Geo]\nBreite=9\n";
    test::writeFile(file, original);

    ParameterSet brokenText;
    brokenText.texL0 = "0\nenable1=1";
    EXPECT_THROW(saveParameterFile(file, brokenText, ','), TrassolinError);
    ParameterSet brokenNumber;
    brokenNumber.splines.get(1)->Z = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(saveParameterFile(file, brokenNumber, ','), FloatingPointError);
    EXPECT_EQ(test::readFile(file), original);

    EXPECT_THROW(saveParameterFile(dir.path(), ParameterSet{}, ','), IoError);
    EXPECT_THROW(saveParameterFile(dir / "fehlt" / "P.ini", ParameterSet{}, ','), IoError);
}

TEST(ParameterFile, loadingRunsTheCheckBoxReactions) {
    const struct {
        const char* file;
        bool rueckfaltung, ruecksetzen, fill;
    } cases[] = {
        {"[Fahrbahn_Textur]\nRueckfaltung=1\nRuecksetzen=1\n", false, true, false},
        {"[Fahrbahn_Textur]\nRueckfaltung=1\nRuecksetzen=0\n", true, false, false},
        {"[Fahrbahn_Textur]\nRueckfaltung=0\nRuecksetzen=1\n", false, true, false},
        {"[FuellFlaeche]\nerzeugen=1\n", false, false, true}, // both edges default to on
        {"[FuellFlaeche]\nerzeugen=1\n[Rand_links_Geo]\nenable1=0\n", false, false, false},
        {"[FuellFlaeche]\nerzeugen=1\n[Rand_rechts_Geo]\nenable1=0\n", false, false, false},
    };
    for (const auto& c : cases) {
        for (const bool before : {false, true}) {
            LoadedFile f;
            f.set.rueckfaltung = before;
            f.set.ruecksetzen = !before;
            loadParameterSet(IniFile(c.file), f.set, f.messages);
            EXPECT_EQ(f.set.rueckfaltung, c.rueckfaltung) << c.file;
            EXPECT_EQ(f.set.ruecksetzen, c.ruecksetzen) << c.file;
            EXPECT_EQ(f.set.fuellFlaecheErzeugen, c.fill) << c.file;
        }
    }
}

TEST(ParameterFile, countsAreBoundedAndAnUnreadableValueStopsTheLoadWhereItStands) {
    const struct {
        const char* file;
        const char* error; // nullptr: loads
        int segments, points;
    } cases[] = {
        {"[Splines]\nAnzahl=100001\n",
         "'100001' ist zu groß: Trassolin liest höchstens 100.000 Spline-Punkte", 2, 3},
        {"[Rand_rechts_Geo]\nnSegments=1001\n",
         "'1001' ist zu groß: Trassolin liest höchstens 1.000 Randsegmente", 2, 3},
        {"[Rand_rechts_Geo]\nnSegments=$FFFF\n",
         "'$FFFF' ist zu groß: Trassolin liest höchstens 1.000 Randsegmente", 2, 3},
        {"[Rand_links_Textur]\nLaenge=fünf\n", "'fünf' ist kein gültiger Gleitkommawert", 2, 3},
        {"[Rand_rechts_Geo]\nnSegments=-3\n", nullptr, 1, 2},
        {"[Rand_rechts_Geo]\nnSegments=zwei\n", nullptr, 2, 2},
        {"[Rand_rechts_Geo]\nenable1=0\nnSegments=1000\n", nullptr, 1001, 2},
        {"[Splines]\nAnzahl=-1\n", nullptr, 2, 0},
        {"[Splines]\nAnzahl=0x3\n", nullptr, 2, 3},
    };
    for (const auto& c : cases) {
        LoadedFile f;
        f.set.splines.append();
        try {
            loadParameterSet(IniFile(c.file), f.set, f.messages);
            EXPECT_EQ(c.error, nullptr) << c.file;
        } catch (const ConversionError& e) {
            EXPECT_STREQ(e.what(), c.error) << c.file;
            EXPECT_EQ(f.set.breite, "6") << "values read before stay applied";
            EXPECT_EQ(f.set.preferences.minWinkel, 3.0) << "nothing after is read";
        }
        EXPECT_EQ(f.set.rechterRand.count(), c.segments) << c.file;
        EXPECT_EQ(f.set.splines.count(), c.points) << c.file;
    }
}

// The text stays the window's; where the value stood travels beside it for the command line.
TEST(ParameterFile, anUnreadableValueNamesFileSectionAndKey) {
    test::TempDir dir;
    const auto file = dir / "Strasse.ini";
    const struct {
        const char* text;
        const char* message;
        const char* section;
        const char* key;
    } cases[] = {
        {"[Preferences]\nminWinkel=steil\n", "'steil' ist kein gültiger Gleitkommawert",
         "Preferences", "minWinkel"},
        {"[rand_links_geo]\nnsegments=1\nWINKEL1=x\n", "'x' ist kein gültiger Gleitkommawert",
         "Rand_links_Geo", "Winkel1"},
        {"[Splines]\nAnzahl=2\n[SplinePts2]\nYrot=\n", "'' ist kein gültiger Gleitkommawert",
         "SplinePts2", "Yrot"},
        {"[Rand_rechts_Geo]\nnSegments=10001\n",
         "'10001' ist zu groß: Trassolin liest höchstens 1.000 Randsegmente",
         "Rand_rechts_Geo", "nSegments"},
        {"[FuellFlaeche]\nTexturHoehe=hoch\n", "'hoch' ist kein gültiger Gleitkommawert",
         "FuellFlaeche", "TexturHoehe"},
    };
    for (const auto& c : cases) {
        test::writeFile(file, c.text);
        ParameterSet set;
        CollectingMessageSink messages;
        try {
            loadParameterFile(file, set, messages);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const ConversionError& e) {
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_EQ(e.where.file, file);
            EXPECT_EQ(e.where.section, c.section) << c.text;
            EXPECT_EQ(e.where.key, c.key) << c.text;
        }
    }
    // One edge from a file: the right edge's sections, named as they stand in the file.
    test::writeFile(file, "[Rand_rechts_Textur]\nLaenge=lang\n");
    ParameterSet set;
    CollectingMessageSink messages;
    try {
        loadEdgeFromParameterFile(file, set, EdgeSide::Left, messages);
        ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.where.file, file);
        EXPECT_EQ(e.where.section, "Rand_rechts_Textur");
        EXPECT_EQ(e.where.key, "Laenge");
    }
}

// The import path is written for information only. A name in another encoding (the cp1252
// bytes of a Windows disk) or with a line break is stored so that the file stays in one
// encoding, one key a line: every other text reads back as it was, import after import.
TEST(ParameterFile, anImportPathOfAnyBytesLeavesEveryOtherTextAsItWas) {
    test::TempDir dir;
    const auto file = dir / "P.ini";
    const struct {
        std::string path, stored;
    } cases[] = {
        {"/karten/Stra\xDF" "e.i3d", "/karten/Straße.i3d"},
        {"/karten/neu\nOrdner/x.i3d", "/karten/neu?Ordner/x.i3d"},
        {"/karten/\r\n.i3d", "/karten/??.i3d"},
        {"/karten/\xC3(.i3d", "/karten/Ã(.i3d"},
        {"/karten/Łódź.i3d", "/karten/Łódź.i3d"},
    };
    for (const char* texture : {"Straße.dds", "Łódź.dds"}) { // a cp1252 file and a UTF-8 file
        for (const auto& c : cases) {
            ParameterSet set;
            set.strassenName = "Straße Süd";
            set.texturFileName = texture;
            for (int import = 0; import < 2; ++import) {
                set.splines.setFileName(c.path);
                saveParameterFile(file, set, ',');
                CollectingMessageSink messages;
                loadParameterFile(file, set, messages);
            }
            EXPECT_EQ(set.strassenName, "Straße Süd") << c.stored;
            EXPECT_EQ(set.texturFileName, texture) << c.stored;
            EXPECT_EQ(IniFile::read(file).readString("Splines", "FileName", ""), c.stored);
        }
    }
}

TEST(ParameterFile, bothEdgeButtonsReadTheRightEdgeSections) {
    test::TempDir dir;
    const auto file = dir / "Parameter.ini";
    test::writeFile(file, "[Rand_rechts_Geo]\nenable1=1\nnSegments=2\nBreite2=4\n"
                          "[Rand_links_Geo]\nenable1=1\nnSegments=5\n");
    ParameterSet set;
    set.fuellFlaecheErzeugen = true;
    CollectingMessageSink messages;
    loadEdgeFromParameterFile(file, set, EdgeSide::Left, messages);
    EXPECT_EQ(set.linkerRand.count(), 3);
    EXPECT_EQ(set.linkerRand.getSegment(2)->length, 4.0);
    EXPECT_EQ(set.linkerRand.current, 1);
    EXPECT_EQ(set.rechterRand.count(), 2);  // untouched
    EXPECT_FALSE(set.fuellFlaecheErzeugen); // the right edge is still off
}

// Counts and per-entry values start as the model constructors create them.
TEST(ParameterTable, startValuesAgreeWithTheModels) {
    const ParameterSet p;
    const Randsegment segment;
    for (const ParameterRow& row : parameterTable()) {
        if (row.key == "nSegments") {
            EXPECT_EQ(row.startValue, formatInteger(p.rechterRand.count() - 1));
        } else if (row.key == "Anzahl") {
            EXPECT_EQ(row.startValue, formatInteger(p.splines.count()));
        } else if (row.scope == Scope::Segment && row.key == "Normale") {
            EXPECT_NEAR(parseTolerantReal(row.startValue) * kDeg, segment.normalAngle, 1e-15);
        } else if (row.scope == Scope::Segment || row.scope == Scope::SplinePoint) {
            EXPECT_EQ(row.startValue, "0") << row.key; // Randsegment and TSplinePkt start at 0
        }
    }
}

} // namespace
} // namespace trassolin
