// gelaende: the ground of a map, and the control points put on it.

#include "cli_runner.h"

#include "uGlobal/numbers.h"
#include "uGlobal/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace trassolin {
namespace {

using test::cli;
using test::Outcome;
using test::snapshot;

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    LineCursor cursor(text);
    for (std::string_view line; cursor.next(line);)
        lines.push_back(line);
    return lines;
}

// A map of 256 m square at 1 m per pixel whose ground rises 0.1 m per metre along +x, from
// 10 m at x = -128 (value 2570 at a scale of 255 m per 65535).
void writeSlopeMap(const test::TempDir& dir) {
    std::filesystem::create_directory(dir / "data");
    test::writeHeightMap(dir / "data" / "dem.png", 257, 257,
                         [](int c, int) { return static_cast<std::uint16_t>(2570 + 25.7 * c); });
    test::writeFile(dir / "karte.i3d",
                    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<i3D name=\"karte\">\n"
                    "<Files><File fileId=\"5\" filename=\"data/dem.png\"/></Files>\n<Scene>\n"
                    "<TerrainTransformGroup name=\"terrain\" heightMapId=\"5\" heightScale=\"255\" "
                    "unitsPerPixel=\"1\"/>\n</Scene>\n</i3D>\n");
}

// Three points along x with heights and rotations that must survive, and a comment. (A file
// whose every character fits cp1252 is saved in it, as every save of the tool does.)
const std::string kParameters =
    "; meine Strasse\r\n[Fahrbahn_Geo]\r\nBreite=7\r\n[Rand_rechts_Geo]\r\nenable1=0\r\n"
    "[Rand_links_Geo]\r\nenable1=0\r\n[Splines]\r\nAnzahl=3\r\n"
    "[SplinePts1]\r\nX=-100\r\nY=3\r\nZ=5\r\nXrot=1,5\r\nYrot=-90\r\n"
    "[SplinePts2]\r\nX=0\r\nY=3\r\nZ=0\r\nYrot=-90\r\n"
    "[SplinePts3]\r\nX=90,5\r\nZ=-5\r\nYrot=-90\r\nunbekannt=ja\r\n";

TEST(CliTerrain, describesTheGroundOfTheMap) {
    test::TempDir dir;
    writeSlopeMap(dir);
    test::writeFile(dir / "P.ini", kParameters);
    const auto before = snapshot(dir);
    const Outcome o = cli(dir, "gelaende P.ini karte.i3d --decimal-separator ,");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out, "Gelände: data/dem.png – 257 × 257 Pixel, 256 × 256 m, 1 m je Pixel, Höhen "
                     "von 10 bis 35,599 m\n");
    EXPECT_EQ(snapshot(dir), before);
}

TEST(CliTerrain, putsThePointsOnTheGroundChangingOnlyTheirYLines) {
    test::TempDir dir;
    writeSlopeMap(dir);
    for (const char* source :
         {"karte.i3d", "--dem data/dem.png --hoehenskala 255 --einheiten-pro-pixel 1,0"}) {
        test::writeFile(dir / "P.ini", kParameters);
        const Outcome o = cli(dir, std::string("gelaende --auf-gelaende --versatz 0,05 P.ini ") +
                                       source + " --decimal-separator ,");
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_NE(o.out.find("\nY von 3 Spline-Punkten auf das Gelände gesetzt (Versatz 0,05 m) in "
                             "P.ini\n"),
                  std::string::npos)
            << o.out;
        EXPECT_EQ(o.err, "");
        // The ground at x = -100, 0 and 90.5 is 12.8, 22.8 and 31.85 m (to the DEM's 4 mm).
        const std::string text = test::readFile(dir / "P.ini");
        const std::string expected =
            "; meine Strasse\r\n[Fahrbahn_Geo]\r\nBreite=7\r\n[Rand_rechts_Geo]\r\nenable1=0\r\n"
            "[Rand_links_Geo]\r\nenable1=0\r\n[Splines]\r\nAnzahl=3\r\n"
            "[SplinePts1]\r\nX=-100\r\nY=12,85\r\nZ=5\r\nXrot=1,5\r\nYrot=-90\r\n"
            "[SplinePts2]\r\nX=0\r\nY=22,85\r\nZ=0\r\nYrot=-90\r\n"
            "[SplinePts3]\r\nX=90,5\r\nZ=-5\r\nYrot=-90\r\nunbekannt=ja\r\nY=31,9\r\n";
        const auto lines = linesOf(text), wanted = linesOf(expected);
        ASSERT_EQ(lines.size(), wanted.size()) << text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!wanted[i].starts_with("Y=")) {
                EXPECT_EQ(lines[i], wanted[i]) << source;
                continue;
            }
            const double y = parseTolerantReal(lines[i].substr(2));
            const double want = parseTolerantReal(wanted[i].substr(2));
            EXPECT_NEAR(y, want, 0.005) << lines[i];
        }
    }
}

TEST(CliTerrain, usageErrorsWriteNothing) {
    test::TempDir dir;
    writeSlopeMap(dir);
    test::writeFile(dir / "P.ini", kParameters);
    const auto before = snapshot(dir);
    const struct {
        const char* arguments;
        const char* error;
    } cases[] = {
        {"gelaende", "gelaende erwartet PARAMETER.ini KARTE.i3d"},
        {"gelaende P.ini", "gelaende erwartet PARAMETER.ini KARTE.i3d (oder --dem DATEI.png)"},
        {"gelaende P.ini karte.i3d --dem data/dem.png --hoehenskala 1 --einheiten-pro-pixel 1",
         "KARTE.i3d und --dem schließen einander aus"},
        {"gelaende P.ini --dem data/dem.png --hoehenskala 255",
         "--dem braucht --hoehenskala und --einheiten-pro-pixel"},
        {"gelaende P.ini karte.i3d --hoehenskala 255",
         "--hoehenskala und --einheiten-pro-pixel gelten nur mit --dem (sonst stehen sie in der "
         "Karte)"},
        {"gelaende P.ini --dem data/dem.png --hoehenskala hoch --einheiten-pro-pixel 1",
         "--hoehenskala: 'hoch' ist kein gültiger Gleitkommawert"},
        {"gelaende P.ini karte.i3d --versatz 0,05", "--versatz gilt nur mit --auf-gelaende"},
        {"gelaende P.ini karte.i3d --auf-gelaende --versatz 5cm",
         "--versatz: '5cm' ist kein gültiger Gleitkommawert"},
        {"gelaende P.ini karte.i3d noch.i3d",
         "gelaende erwartet PARAMETER.ini KARTE.i3d, nicht mehr ('noch.i3d')"},
    };
    for (const auto& c : cases) {
        const Outcome o = cli(dir, c.arguments);
        EXPECT_EQ(o.status, 2) << c.arguments;
        EXPECT_EQ(o.out, "") << c.arguments;
        EXPECT_EQ(o.err,
                  "Fehler: " + std::string(c.error) + "\nHilfe: trassolin-cli gelaende --help\n");
    }
    EXPECT_EQ(snapshot(dir), before);
}

TEST(CliTerrain, aStopLeavesTheParameterFileAsItWas) {
    test::TempDir dir;
    writeSlopeMap(dir);
    test::writeFile(dir / "P.ini", kParameters);
    test::writeFile(dir / "weit.ini", kParameters + "[SplinePts4]\r\nX=200\r\nZ=0\r\n");
    std::string broken = kParameters;
    broken.replace(broken.find("X=0"), 3, "X=null");
    test::writeFile(dir / "kaputt.ini", broken);
    test::writeFile(dir / "leer.i3d", "<i3D><Scene/></i3D>");
    // weit.ini holds a fourth point only after Anzahl says so.
    std::string far = test::readFile(dir / "weit.ini");
    far.replace(far.find("Anzahl=3"), 8, "Anzahl=4");
    test::writeFile(dir / "weit.ini", far);
    const auto before = snapshot(dir);
    const std::string kept = "Fehler: Abgebrochen – keine Datei geschrieben (";
    const struct {
        const char* arguments;
        std::string err;
    } cases[] = {
        {"gelaende --auf-gelaende P.ini fehlt.i3d",
         "Fehler: Die Datei fehlt.i3d kann nicht geöffnet werden\n" + kept +
             "P.ini bleibt unverändert)\n"},
        {"gelaende --auf-gelaende P.ini leer.i3d",
         "Fehler: Die Datei leer.i3d enthält kein Gelände (kein TerrainTransformGroup in der "
         "Szene); bitte die i3d-Datei der Karte wählen\n" +
             kept + "P.ini bleibt unverändert)\n"},
        {"gelaende --auf-gelaende P.ini --dem karte.i3d --hoehenskala 255 --einheiten-pro-pixel 1",
         "Fehler: Die Datei karte.i3d ist kein lesbares PNG-Bild\n" + kept +
             "P.ini bleibt unverändert)\n"},
        {"gelaende --auf-gelaende --decimal-separator , weit.ini karte.i3d",
         "Fehler: SplinePunkt 4 (x = 200, z = 0) liegt außerhalb des Geländes (x von -128 bis "
         "128 m, z von -128 bis 128 m)\n" +
             kept + "weit.ini bleibt unverändert)\n"},
        {"gelaende --auf-gelaende kaputt.ini karte.i3d",
         "Fehler: kaputt.ini [SplinePts2] X: 'null' ist kein gültiger Gleitkommawert\n" + kept +
             "kaputt.ini bleibt unverändert)\n"},
        {"gelaende P.ini leer.i3d",
         "Fehler: Die Datei leer.i3d enthält kein Gelände (kein TerrainTransformGroup in der "
         "Szene); bitte die i3d-Datei der Karte wählen\nFehler: Abgebrochen – keine Datei "
         "geschrieben\n"},
    };
    for (const auto& c : cases) {
        const Outcome o = cli(dir, c.arguments);
        EXPECT_EQ(o.status, 1) << c.arguments;
        EXPECT_EQ(o.err, c.err) << c.arguments;
    }
    EXPECT_EQ(snapshot(dir), before);
}

} // namespace
} // namespace trassolin
