#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/wait.h>

namespace trassolin {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

// Runs trassolin-cli in `dir` with the arguments as one shell text.
Outcome cli(const test::TempDir& dir, const std::string& arguments, const std::string& env = "") {
    const std::string command = "cd '" + dir.path().string() + "' && " + env + " '" +
                                TRASSOLIN_CLI_PATH + "' " + arguments + " >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    Outcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::readFile(dir / "out.txt"),
              test::readFile(dir / "err.txt")};
    std::filesystem::remove(dir / "out.txt");
    std::filesystem::remove(dir / "err.txt");
    return o;
}

const std::string kExport = "<i3D>\r\n<Scene>\r\n<Shape translation=\"1,5 0 2\"/>\r\n"
                            "<Shape translation=\"1.5 0 30\" rotation=\"0 90 0\"/>\r\n"
                            "</Scene>\r\n</i3D>\r\n";

TEST(Cli, helpAndVersionGoToStandardOutput) {
    test::TempDir dir;
    const Outcome help = cli(dir, "--help");
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"init", "import-splines", "--decimal-separator", "--version"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    EXPECT_EQ(help.err, "");
    const Outcome version = cli(dir, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("trassolin-cli "));
}

TEST(Cli, usageErrorsExitWithTwoAndTheUsageText) {
    test::TempDir dir;
    for (const char* arguments :
         {"", "bauen", "init", "init a.ini b.ini", "--schnell init a.ini",
          "init a.ini --decimal-separator ';'", "init a.ini --decimal-separator", "generate",
          "generate P.ini", "generate P.ini a.i3d b.i3d"}) {
        const Outcome o = cli(dir, arguments);
        EXPECT_EQ(o.status, 2) << arguments;
        EXPECT_EQ(o.out, "") << arguments;
        EXPECT_TRUE(o.err.starts_with("Fehler: ")) << arguments;
        EXPECT_NE(o.err.find("Aufruf: trassolin-cli"), std::string::npos) << arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "a.ini"));
}

TEST(Cli, initWritesTheStartValuesAndNeverOverwritesAFile) {
    test::TempDir dir;
    const Outcome o = cli(dir, "init P.ini", "LC_ALL=de_DE.UTF-8");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    const std::string text = test::readFile(dir / "P.ini");
    EXPECT_TRUE(text.starts_with("[Preferences]\r\nStrassenName=Strasse\r\n"));
    EXPECT_NE(text.find("\r\nRueckfaltung_p=0,5\r\n"), std::string::npos);
    EXPECT_NE(text.find("[FuellFlaeche]\r\nerzeugen=0\r\nTextur=\r\nTexturHoehe=5\r\n"),
              std::string::npos);

    test::writeFile(dir / "P.ini", "[Fahrbahn_Geo]\r\nBreite=9\r\n");
    const Outcome again = cli(dir, "init P.ini");
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(again.err, "Fehler: Die Datei P.ini existiert bereits\n");
    EXPECT_EQ(test::readFile(dir / "P.ini"), "[Fahrbahn_Geo]\r\nBreite=9\r\n");
}

TEST(Cli, importSplinesUpdatesTheParameterFile) {
    test::TempDir dir;
    test::writeFile(dir / "export.i3d", kExport);
    test::writeFile(dir / "P.ini", "[Fahrbahn_Geo]\r\nBreite=9,5\r\n[Splines]\r\nAnzahl=4\r\n");
    const Outcome o = cli(dir, "--decimal-separator . import-splines export.i3d P.ini");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "2 Spline-Punkte importiert aus export.i3d\n");
    // Both edges of a file without edge sections load switched on, with equal texture coordinates.
    EXPECT_NE(o.err.find("Warnung: rechter Rand - Randpunkt 1"), std::string::npos) << o.err;
    const std::string text = test::readFile(dir / "P.ini");
    EXPECT_TRUE(text.starts_with("[Fahrbahn_Geo]\r\nBreite=9,5\r\n")) << text;
    EXPECT_NE(
        text.find("Anzahl=2\r\naktuell=0\r\nFileName=" + (dir / "export.i3d").string() + "\r\n"),
        std::string::npos);
    EXPECT_NE(text.find("[SplinePts2]\r\nX=1.5\r\nY=0\r\nZ=30\r\nXrot=0\r\nYrot=90\r\n"),
              std::string::npos);

    // Without a parameter file the start values are the base.
    const Outcome fresh = cli(dir, "import-splines export.i3d Neu.ini --decimal-separator=,");
    EXPECT_EQ(fresh.status, 0) << fresh.err;
    EXPECT_EQ(fresh.err, "");
    EXPECT_NE(test::readFile(dir / "Neu.ini").find("[SplinePts1]\r\nX=1,5\r\n"), std::string::npos);
}

TEST(Cli, aFailedImportWritesNothing) {
    test::TempDir dir;
    test::writeFile(dir / "kaputt.i3d", "<Scene>\n<Shape translation=\"1 zwei 3\"/>\n</Scene>\n");
    const std::string quiet = "[Rand_rechts_Geo]\r\nenable1=0\r\n[Rand_links_Geo]\r\nenable1=0\r\n";
    test::writeFile(dir / "P.ini", quiet);
    for (const auto& [arguments, message] :
         {std::pair{"import-splines fehlt.i3d P.ini",
                    std::string("Fehler: Die Datei fehlt.i3d kann nicht geöffnet werden\n")},
          {"import-splines kaputt.i3d P.ini", "Fehler: 'zwei' ist kein gültiger Gleitkommawert\n"},
          {"import-splines kaputt.i3d Neu.ini",
           "Fehler: 'zwei' ist kein gültiger Gleitkommawert\n"}}) {
        const Outcome o = cli(dir, arguments);
        EXPECT_EQ(o.status, 1) << arguments;
        EXPECT_EQ(o.out, "") << arguments;
        EXPECT_EQ(o.err, message);
    }
    EXPECT_EQ(test::readFile(dir / "P.ini"), quiet);
    EXPECT_FALSE(std::filesystem::exists(dir / "Neu.ini"));
}

// A straight 30 m road without edges as a parameter file; `texture` goes into Fahrbahn_Textur.
std::string roadFile(const std::string& texture = "Laenge=20\r\nTexL0=0,25\r\n") {
    return "[Fahrbahn_Geo]\r\nBreite=7\r\n[Fahrbahn_Textur]\r\n" + texture +
           "[Rand_rechts_Geo]\r\nenable1=0\r\n[Rand_links_Geo]\r\nenable1=0\r\n"
           "[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=30\r\n";
}

TEST(Cli, generateWritesTheDocumentAndTheStatusLog) {
    test::TempDir dir;
    test::writeFile(dir / "P.ini", roadFile());
    const Outcome o = cli(dir, "generate P.ini road.i3d --decimal-separator ,");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_TRUE(o.out.starts_with("Geometrie: Breite = 7.0000  --  Schleppkurve = 10.0000\n")) << o.out;
    EXPECT_NE(o.out.find("\nFahrbahn: 4 Vertices, 2 triangles\n"), std::string::npos);
    EXPECT_TRUE(test::readFile(dir / "road.i3d").ends_with("</i3D>\r\n"));
    // A missing drag-curve switch loads as on. Without --write-texl0 the file is left alone.
    EXPECT_EQ(test::readFile(dir / "P.ini"), roadFile());
}

TEST(Cli, generateWithWriteTexL0ContinuesTheTextureInTheParameterFile) {
    test::TempDir dir;
    test::writeFile(dir / "P.ini", roadFile());
    const Outcome o = cli(dir, "--write-texl0 generate P.ini road.i3d --decimal-separator ,");
    ASSERT_EQ(o.status, 0) << o.err;
    // 30 m of a 20 m texture from 0.25: 1.75 repeats on, so the next road starts at 0.75.
    EXPECT_NE(o.out.find("für die nächste Straße = 0.7500"), std::string::npos);
    EXPECT_EQ(test::readFile(dir / "P.ini"), roadFile("Laenge=20\r\nTexL0=0,75\r\n"));
}

TEST(Cli, aStoppedGenerationExitsWithOneAndKeepsTheOldDocument) {
    struct Case {
        const char* parameters; // nullptr: no parameter file at all
        const char* error;
    };
    const Case cases[] = {
        {nullptr, nullptr},
        {"[Fahrbahn_Textur]\r\nLaenge=lang\r\n[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=30\r\n",
         "Fehler: 'lang' ist kein gültiger Gleitkommawert\n"},
        {"[Splines]\r\nAnzahl=1\r\n", "Warnung: Zu wenig SplinePunkte\n"},
        {"[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=0,05\r\n", nullptr},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        if (c.parameters) test::writeFile(dir / "P.ini", c.parameters);
        test::writeFile(dir / "road.i3d", "old\r\n");
        const Outcome o = cli(dir, "generate P.ini road.i3d");
        EXPECT_EQ(o.status, 1) << o.err;
        EXPECT_FALSE(o.err.empty());
        if (c.error) {
            EXPECT_TRUE(o.err.ends_with(c.error)) << o.err;
        }
        EXPECT_EQ(test::readFile(dir / "road.i3d"), "old\r\n");
        EXPECT_EQ(test::entryNames(dir.path()).size(), c.parameters ? 2u : 1u) << "no stray file";
    }
}

TEST(Cli, theBundledExamplesGenerate) {
    for (const char* example : {"landstrasse.ini", "dorfstrasse.ini"}) {
        test::TempDir dir;
        std::filesystem::copy_file(test::examplesDir() / example, dir / example);
        const Outcome o = cli(dir, std::string("generate ") + example + " road.i3d");
        EXPECT_EQ(o.status, 0) << example << o.err;
        EXPECT_EQ(o.err, "") << example;
        EXPECT_NE(o.out.find("\nFahrbahn: "), std::string::npos) << example;
        if (test::xmllintAvailable()) {
            std::string log;
            EXPECT_EQ(test::xmllint("--noout", dir / "road.i3d", log), 0) << log;
        }
    }
}

} // namespace
} // namespace trassolin
