#include "cli_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace trassolin {
namespace {

using test::cli;
using test::Outcome;
using test::roadFile;
using test::snapshot;
using test::stopped;

const std::string kExport = "<i3D>\r\n<Scene>\r\n<Shape translation=\"1,5 0 2\"/>\r\n"
                            "<Shape translation=\"1.5 0 30\" rotation=\"0 90 0\"/>\r\n"
                            "</Scene>\r\n</i3D>\r\n";

TEST(Cli, helpAndVersionGoToStandardOutput) {
    test::TempDir dir;
    const Outcome help = cli(dir, "--help");
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"init", "import-splines", "generate", "--version", "Beispiele:",
                             "Rückgabewert: 0 vollständig geschrieben, 1 abgebrochen"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    EXPECT_EQ(help.err, "");
    const Outcome version = cli(dir, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("trassolin-cli ")) << version.out;
    EXPECT_EQ(version.err, "");
}

TEST(Cli, everyCommandHasItsOwnGermanHelpWithAnExample) {
    test::TempDir dir;
    const struct {
        const char* command;
        const char* usage;
        std::vector<const char*> options;
    } cases[] = {
        {"init", "Aufruf: trassolin-cli init [OPTIONEN] PARAMETER.ini\n", {"--decimal-separator"}},
        {"import-splines",
         "Aufruf: trassolin-cli import-splines [OPTIONEN] EXPORT.i3d PARAMETER.ini\n",
         {"--decimal-separator"}},
        {"generate",
         "Aufruf: trassolin-cli generate [OPTIONEN] PARAMETER.ini AUSGABE.i3d\n",
         {"--decimal-separator", "--write-texl0"}},
    };
    for (const auto& c : cases) {
        for (const char* flag : {"--help", "-h"}) {
            const Outcome o = cli(dir, std::string(c.command) + " " + flag);
            EXPECT_EQ(o.status, 0) << c.command;
            EXPECT_EQ(o.err, "") << c.command;
            EXPECT_NE(o.out.find(c.usage), std::string::npos) << o.out;
            EXPECT_NE(o.out.find("Beispiel:\n  trassolin-cli " + std::string(c.command) + " "),
                      std::string::npos)
                << o.out;
            EXPECT_NE(o.out.find("Rückgabewert: 0"), std::string::npos) << o.out;
            for (const char* option : c.options)
                EXPECT_NE(o.out.find(option), std::string::npos) << c.command << option;
            if (c.options.size() == 1) {
                EXPECT_EQ(o.out.find("--write-texl0"), std::string::npos) << c.command;
            }
        }
    }
    EXPECT_TRUE(test::entryNames(dir.path()).empty());
}

// A usage error is one line and where the help is, never the whole help; nothing is written.
TEST(Cli, usageErrorsExitWithTwoAndOneLineWithAHint) {
    test::TempDir dir;
    test::writeFile(dir / "P.ini", roadFile());
    test::writeFile(dir / "export.i3d", kExport);
    const auto before = snapshot(dir);
    const struct {
        const char* arguments;
        const char* error;
        const char* help;
    } cases[] = {
        {"", "kein Befehl angegeben", ""},
        {"bauen", "unbekannter Befehl 'bauen'", ""},
        {"--schnell init a.ini", "unbekannte Option '--schnell'", ""},
        {"init", "init erwartet PARAMETER.ini", "init "},
        {"init a.ini b.ini", "init erwartet PARAMETER.ini, nicht mehr ('b.ini')", "init "},
        {"init a.ini generate P.ini a.i3d", "init erwartet PARAMETER.ini, nicht mehr ('generate')",
         "init "},
        {"init a.ini --decimal-separator ';'",
         "--decimal-separator: erwartet ',' oder '.', nicht ';'", "init "},
        {"init a.ini --decimal-separator", "--decimal-separator ohne Wert", "init "},
        {"generate", "generate erwartet PARAMETER.ini AUSGABE.i3d", "generate "},
        {"generate P.ini", "generate erwartet PARAMETER.ini AUSGABE.i3d", "generate "},
        {"generate P.ini a.i3d b.i3d",
         "generate erwartet PARAMETER.ini AUSGABE.i3d, nicht mehr ('b.i3d')", "generate "},
        // An option a command does not take is refused, wherever it stands.
        {"init a.ini --write-texl0", "init kennt die Option '--write-texl0' nicht", "init "},
        {"--write-texl0 init a.ini", "--write-texl0 gilt nur für generate", "init "},
        {"import-splines export.i3d P.ini --write-texl0",
         "import-splines kennt die Option '--write-texl0' nicht", "import-splines "},
        {"--write-texl0 import-splines export.i3d P.ini", "--write-texl0 gilt nur für generate",
         "import-splines "},
        {"generate --schnell P.ini a.i3d", "generate kennt die Option '--schnell' nicht",
         "generate "},
        {"generate --decimal-separator , --decimal-separator . P.ini a.i3d",
         "--decimal-separator ist mehrfach angegeben; einmal genügt", "generate "},
        // A file name that begins with "-" reads as an option: the way out is named.
        {"generate P.ini -a.i3d",
         "generate erwartet PARAMETER.ini AUSGABE.i3d; für einen Dateinamen, der mit - beginnt "
         "('-a.i3d'), erst -- angeben: generate -- PARAMETER.ini AUSGABE.i3d",
         "generate "},
        {"init -neu.ini",
         "init erwartet PARAMETER.ini; für einen Dateinamen, der mit - beginnt ('-neu.ini'), erst "
         "-- angeben: init -- PARAMETER.ini",
         "init "},
        {"generate P.ini ''", "leerer Dateiname für AUSGABE.i3d", "generate "},
        {"init ''", "leerer Dateiname für PARAMETER.ini", "init "},
        {"import-splines '' P.ini", "leerer Dateiname für EXPORT.i3d", "import-splines "},
    };
    for (const auto& c : cases) {
        const Outcome o = cli(dir, c.arguments);
        EXPECT_EQ(o.status, 2) << c.arguments;
        EXPECT_EQ(o.out, "") << c.arguments;
        EXPECT_EQ(o.err, "Fehler: " + std::string(c.error) + "\nHilfe: trassolin-cli " + c.help +
                             "--help\n");
    }
    EXPECT_EQ(snapshot(dir), before);
}

TEST(Cli, doubleDashEndsTheOptions) {
    test::TempDir dir;
    const Outcome o = cli(dir, "init -- --neu.ini");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "Parameterdatei --neu.ini angelegt\n");
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"--neu.ini"});
}

TEST(Cli, initWritesTheStartValuesAndNeverOverwritesAFile) {
    test::TempDir dir;
    const Outcome o = cli(dir, "init P.ini", "LC_ALL=de_DE.UTF-8");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "Parameterdatei P.ini angelegt\n");
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
    EXPECT_EQ(again.err, "Fehler: Die Datei P.ini existiert bereits\n" + stopped("P.ini", true));
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
    EXPECT_EQ(o.err.find("Fehler"), std::string::npos) << o.err;
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
    test::writeFile(dir / "Schief.ini", quiet + "[Preferences]\r\nminLaenge=zwei\r\n");
    const auto before = snapshot(dir);
    for (const auto& [arguments, message] :
         {std::pair{"import-splines fehlt.i3d P.ini",
                    "Fehler: Die Datei fehlt.i3d kann nicht geöffnet werden\n" +
                        stopped("P.ini", true)},
          {"import-splines kaputt.i3d P.ini",
           "Fehler: kaputt.i3d Zeile 2: 'zwei' ist kein gültiger Gleitkommawert\n" +
               stopped("P.ini", true)},
          {"import-splines kaputt.i3d Neu.ini",
           "Fehler: kaputt.i3d Zeile 2: 'zwei' ist kein gültiger Gleitkommawert\n" +
               stopped("Neu.ini", false)},
          {"import-splines kaputt.i3d Schief.ini",
           "Fehler: Schief.ini [Preferences] minLaenge: 'zwei' ist kein gültiger "
           "Gleitkommawert\n" +
               stopped("Schief.ini", true)}}) {
        const Outcome o = cli(dir, arguments);
        EXPECT_EQ(o.status, 1) << arguments;
        EXPECT_EQ(o.out, "") << arguments;
        EXPECT_EQ(o.err, message);
    }
    EXPECT_EQ(snapshot(dir), before);
}

// The document over its own parameter file would destroy the input, under any of its names.
TEST(Cli, refusesToWriteOverTheParameterFile) {
    test::TempDir dir;
    test::writeFile(dir / "P.ini", roadFile());
    test::writeFile(dir / "export.i3d", kExport);
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_symlink("P.ini", dir / "Verweis.ini");
    std::filesystem::create_hard_link(dir / "P.ini", dir / "Zweitname.ini");
    const auto before = snapshot(dir);
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"generate P.ini P.ini", "Ausgabedatei und Parameterdatei sind dieselbe Datei: P.ini"},
        {"generate --write-texl0 P.ini ./P.ini",
         "Ausgabedatei und Parameterdatei sind dieselbe Datei: ./P.ini"},
        {"--write-texl0 generate P.ini sub/../P.ini",
         "Ausgabedatei und Parameterdatei sind dieselbe Datei: sub/../P.ini"},
        {"generate P.ini " + (dir / "P.ini").string(),
         "Ausgabedatei und Parameterdatei sind dieselbe Datei: " + (dir / "P.ini").string()},
        {"generate P.ini Verweis.ini",
         "Ausgabedatei und Parameterdatei sind dieselbe Datei: Verweis.ini"},
        {"generate Zweitname.ini P.ini",
         "Ausgabedatei und Parameterdatei sind dieselbe Datei: P.ini"},
        {"import-splines P.ini P.ini", "Exportdatei und Parameterdatei sind dieselbe Datei: P.ini"},
        {"import-splines ./P.ini Verweis.ini",
         "Exportdatei und Parameterdatei sind dieselbe Datei: Verweis.ini"},
    };
    for (const auto& c : cases) {
        const Outcome o = cli(dir, c.arguments);
        EXPECT_EQ(o.status, 2) << c.arguments;
        EXPECT_EQ(o.out, "") << c.arguments;
        EXPECT_EQ(o.err, "Fehler: " + c.message + "\n");
    }
    EXPECT_EQ(snapshot(dir), before);
}

TEST(Cli, generateWritesTheDocumentAndTheStatusLog) {
    test::TempDir dir;
    test::writeFile(dir / "P.ini", roadFile());
    const Outcome o = cli(dir, "generate P.ini road.i3d --decimal-separator ,");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_TRUE(o.out.starts_with("Geometrie: Breite = 7.0000  --  Schleppkurve = 10.0000\n")) << o.out;
    EXPECT_NE(o.out.find("\nFahrbahn: 4 Vertices, 2 triangles\n"), std::string::npos);
    EXPECT_TRUE(o.out.ends_with("\nGeschrieben: road.i3d – 4 Vertices, 2 Dreiecke, 30 m Fahrbahn, "
                                "Texturen: road_diffuse.dds\n"))
        << o.out;
    EXPECT_TRUE(test::readFile(dir / "road.i3d").ends_with("</i3D>\r\n"));
    // A missing drag-curve switch loads as on. Without --write-texl0 the file is left alone.
    EXPECT_EQ(test::readFile(dir / "P.ini"), roadFile());
}

// The summary counts every mesh part, names each texture file the document refers to once,
// and writes the length with the chosen separator.
TEST(Cli, theSummaryNamesEveryTextureOnceAndTheWholeMesh) {
    test::TempDir dir;
    const std::string edges = "[Rand_rechts_Geo]\r\nenable1=1\r\nnSegments=1\r\nBreite1=1\r\n"
                              "Winkel1=-30\r\n[Rand_rechts_Textur]\r\nFileName=gras.dds\r\n"
                              "[Rand_links_Geo]\r\nenable1=1\r\nnSegments=1\r\nBreite1=1\r\n"
                              "Winkel1=-30\r\n[Rand_links_Textur]\r\nFileName=gras.dds\r\n";
    test::writeFile(dir / "P.ini", "[Fahrbahn_Textur]\r\nFileName=asphalt.dds\r\n" + edges +
                                       "[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=30,25\r\n");
    const Outcome o = cli(dir, "generate P.ini road.i3d --decimal-separator ,");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(o.out.ends_with("\nFahrbahn: 7 Vertices, 5 triangles\n"
                                "rechter Rand: 8 Vertices, 6 triangles\n"
                                "linker Rand: 6 Vertices, 4 triangles\n"
                                "Geschrieben: road.i3d – 21 Vertices, 15 Dreiecke, 30,25 m "
                                "Fahrbahn, Texturen: asphalt.dds, gras.dds\n"))
        << o.out;
}

TEST(Cli, generateWithWriteTexL0ContinuesTheTextureInTheParameterFile) {
    // The old spelling before the command keeps working beside the new one.
    for (const char* arguments : {"--write-texl0 generate P.ini road.i3d --decimal-separator ,",
                                  "generate --write-texl0 P.ini road.i3d --decimal-separator ,"}) {
        test::TempDir dir;
        test::writeFile(dir / "P.ini", roadFile());
        const Outcome o = cli(dir, arguments);
        ASSERT_EQ(o.status, 0) << o.err;
        // 30 m of a 20 m texture from 0.25: 1.75 repeats on, so the next road starts at 0.75.
        EXPECT_NE(o.out.find("für die nächste Straße = 0.7500"), std::string::npos);
        EXPECT_TRUE(o.out.ends_with("Texturen: road_diffuse.dds\n")) << o.out;
        EXPECT_EQ(test::readFile(dir / "P.ini"), roadFile("Laenge=20\r\nTexL0=0,75\r\n"));
    }
}

// The message that stopped the run comes right before the verdict; warnings before it stay
// warnings, and the old document or its absence is left exactly as it was.
TEST(Cli, aStoppedGenerationExitsWithOneAndKeepsTheOldDocument) {
    struct Case {
        const char* parameters; // nullptr: no parameter file at all
        std::string lastMessages;
    };
    const Case cases[] = {
        {nullptr, "Fehler: Die Datei P.ini kann nicht gelesen werden\n"},
        {"[Fahrbahn_Textur]\r\nLaenge=lang\r\n[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=30\r\n",
         "Fehler: P.ini [Fahrbahn_Textur] Laenge: 'lang' ist kein gültiger Gleitkommawert\n"},
        {"[Splines]\r\nAnzahl=1\r\n", "Warnung: Zu wenig SplinePunkte\n"},
        {"[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=0,05\r\n",
         "Warnung: SplinePunkte 1 und 2 nur 0,05 auseinander!\n"},
    };
    for (const auto& c : cases) {
        for (const bool existed : {true, false}) {
            test::TempDir dir;
            if (c.parameters) test::writeFile(dir / "P.ini", c.parameters);
            if (existed) test::writeFile(dir / "road.i3d", "old\r\n");
            const auto before = snapshot(dir);
            const Outcome o = cli(dir, "generate P.ini road.i3d --decimal-separator ,");
            EXPECT_EQ(o.status, 1) << o.err;
            EXPECT_TRUE(o.err.ends_with(c.lastMessages + stopped("road.i3d", existed))) << o.err;
            EXPECT_EQ(o.out.find("Geschrieben"), std::string::npos);
            EXPECT_EQ(snapshot(dir), before) << "no stray file";
        }
    }
}

TEST(Cli, aValueThatIsNoNumberNamesFileSectionAndKey) {
    const struct {
        std::string parameters;
        std::string message;
    } cases[] = {
        // Road fields are parsed by the run, edge and point values by the load.
        {"[Fahrbahn_Geo]\r\nBreite=abc\r\n[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=30\r\n",
         "params.ini [Fahrbahn_Geo] Breite: 'abc' ist kein gültiger Gleitkommawert"},
        {"[Fahrbahn_Textur]\r\nTexPixel=1,5\r\n[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nZ=30\r\n",
         "params.ini [Fahrbahn_Textur] TexPixel: '1,5' ist kein gültiger Integerwert"},
        {"[TrafficSplines]\r\nRechts=1\r\nRechtsProzent=viel\r\n[Splines]\r\nAnzahl=2\r\n"
         "[SplinePts2]\r\nZ=30\r\n",
         "params.ini [TrafficSplines] RechtsProzent: 'viel' ist kein gültiger Gleitkommawert"},
        {"[Rand_rechts_Geo]\r\nnSegments=2\r\nWinkel2=steil\r\n",
         "params.ini [Rand_rechts_Geo] Winkel2: 'steil' ist kein gültiger Gleitkommawert"},
        {"[Splines]\r\nAnzahl=3\r\n[SplinePts3]\r\nZ=\r\n",
         "params.ini [SplinePts3] Z: '' ist kein gültiger Gleitkommawert"},
        {"[Splines]\r\nAnzahl=9999999\r\n",
         "params.ini [Splines] Anzahl: '9999999' ist zu groß: Trassolin liest höchstens "
         "100.000 Spline-Punkte"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        test::writeFile(dir / "params.ini", c.parameters);
        const Outcome o = cli(dir, "generate params.ini road.i3d");
        EXPECT_EQ(o.status, 1);
        EXPECT_TRUE(o.err.ends_with("Fehler: " + c.message + "\n" + stopped("road.i3d", false)))
            << o.err;
        EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"params.ini"});
    }
}

TEST(Cli, aFileThatCannotBeWrittenIsNamedWithItsFolder) {
    test::TempDir dir;
    test::writeFile(dir / "P.ini", roadFile());
    test::writeFile(dir / "datei", "");
    const auto before = snapshot(dir);
    const struct {
        std::string arguments;
        std::string message;
        std::string target;
    } cases[] = {
        {"generate P.ini fehlt/road.i3d",
         "Ungültiger Dateiname: fehlt/road.i3d – der Ordner fehlt existiert nicht",
         "fehlt/road.i3d"},
        {"generate P.ini /no/such/dir/out.i3d",
         "Ungültiger Dateiname: /no/such/dir/out.i3d – der Ordner /no/such/dir existiert nicht",
         "/no/such/dir/out.i3d"},
        {"generate P.ini datei/road.i3d",
         "Ungültiger Dateiname: datei/road.i3d – datei ist kein Ordner", "datei/road.i3d"},
        {"generate P.ini .", "Ungültiger Dateiname: .", "."},
        {"init fehlt/P.ini",
         "In fehlt/P.ini kann nicht geschrieben werden – der Ordner fehlt existiert nicht",
         "fehlt/P.ini"},
    };
    for (const auto& c : cases) {
        const Outcome o = cli(dir, c.arguments);
        EXPECT_EQ(o.status, 1) << c.arguments;
        EXPECT_TRUE(
            o.err.ends_with("Fehler: " + c.message + "\n" + stopped(c.target, c.target == ".")))
            << o.err;
    }
    EXPECT_EQ(snapshot(dir), before);
}

TEST(Cli, theBundledExamplesGenerate) {
    for (const char* example : {"landstrasse.ini", "dorfstrasse.ini"}) {
        test::TempDir dir;
        std::filesystem::copy_file(test::examplesDir() / example, dir / example);
        const Outcome o = cli(dir, std::string("generate ") + example + " road.i3d");
        EXPECT_EQ(o.status, 0) << example << o.err;
        EXPECT_EQ(o.err, "") << example;
        EXPECT_NE(o.out.find("\nFahrbahn: "), std::string::npos) << example;
        EXPECT_NE(o.out.find("\nGeschrieben: road.i3d – "), std::string::npos) << example;
        if (test::xmllintAvailable()) {
            std::string log;
            EXPECT_EQ(test::xmllint("--noout", dir / "road.i3d", log), 0) << log;
        }
    }
}

} // namespace
} // namespace trassolin
