// gelaende: the ground of a map, and the control points put on it.

#include "cli_runner.h"

#include "terrain/png_image.h"
#include "uGlobal/numbers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace trassolin {
namespace {

using test::cli;
using test::Outcome;
using test::snapshot;

// A map of 256 m square at 1 m per pixel whose ground rises 0.1 m per metre along +x, from
// 10 m at x = -128: a scale of 65.535 m makes one value step a millimetre, so the ground is
// known exactly.
void writeSlopeMap(const test::TempDir& dir) {
    std::filesystem::create_directory(dir / "data");
    test::writeHeightMap(dir / "data" / "dem.png", 257, 257,
                         [](int c, int) { return static_cast<std::uint16_t>(10000 + 100 * c); });
    test::writeFile(dir / "karte.i3d",
                    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<i3D name=\"karte\">\n"
                    "<Files><File fileId=\"5\" filename=\"data/dem.png\"/></Files>\n<Scene>\n"
                    "<TerrainTransformGroup name=\"terrain\" heightMapId=\"5\" "
                    "heightScale=\"65.535\" unitsPerPixel=\"1\"/>\n</Scene>\n</i3D>\n");
}

// A level road 6 m wide along +z across the slope at x = 0, where the ground is 22.8 m: its
// right border (x = -3) 0.3 m above the ground, its left border 0.3 m below.
const std::string kAcross = "[Rand_rechts_Geo]\r\nenable1=0\r\n[Rand_links_Geo]\r\nenable1=0\r\n"
                            "[Splines]\r\nAnzahl=2\r\n[SplinePts1]\r\nY=22,8\r\nZ=-50\r\n"
                            "[SplinePts2]\r\nY=22,8\r\nZ=50\r\n";

// Three points along x with heights and rotations that must survive, and a comment. (A file
// whose every character fits cp1252 is saved in it, as every save of the tool does.)
const std::string kParameters =
    "; meine Strasse\r\n[Fahrbahn_Geo]\r\nBreite=7\r\n[Rand_rechts_Geo]\r\nenable1=0\r\n"
    "[Rand_links_Geo]\r\nenable1=0\r\n[Splines]\r\nAnzahl=3\r\n"
    "[SplinePts1]\r\nX=-100\r\nY=3\r\nZ=5\r\nXrot=1,5\r\nYrot=90\r\n"
    "[SplinePts2]\r\nX=0\r\nY=3\r\nZ=0\r\nYrot=90\r\n"
    "[SplinePts3]\r\nX=90,5\r\nZ=-5\r\nYrot=90\r\nunbekannt=ja\r\n";

TEST(CliTerrain, reportsWhereTheRoadFloatsAndSinksWithTheToleranceAsExitStatus) {
    test::TempDir dir;
    writeSlopeMap(dir);
    test::writeFile(dir / "P.ini", kAcross);
    const auto before = snapshot(dir);
    const std::string ground = "Gelände: data/dem.png – 257 × 257 Pixel, 256 × 256 m, 1 m je "
                               "Pixel, Höhen von 10 bis 35,6 m\n"
                               "Fahrbahn: max. 0,30 m über, 0,30 m unter dem Gelände\n";
    Outcome o = cli(dir, "gelaende P.ini karte.i3d --decimal-separator ,");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, ground + "Toleranz 0,1 m überschritten:\n"
                              "  rechter Fahrbahnrand 0–100 m: bis 0,30 m über dem Gelände (bei "
                              "0 m)\n"
                              "  linker Fahrbahnrand 0–100 m: bis 0,30 m unter dem Gelände (bei "
                              "0 m)\n");
    EXPECT_EQ(o.err, "");
    o = cli(dir, "gelaende --toleranz 0,3 P.ini karte.i3d --decimal-separator ,");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, ground + "Toleranz 0,3 m eingehalten\n");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(snapshot(dir), before);
}

TEST(CliTerrain, putsThePointsExactlyOnTheSlopeChangingOnlyTheirYLines) {
    test::TempDir dir;
    writeSlopeMap(dir);
    for (const char* source :
         {"karte.i3d", "--dem data/dem.png --hoehenskala 65,535 --einheiten-pro-pixel 1,0"}) {
        test::writeFile(dir / "P.ini", kParameters);
        const Outcome o =
            cli(dir, std::string("gelaende --auf-gelaende --versatz 0,05 --toleranz 2 P.ini ") +
                         source + " --decimal-separator ,");
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_TRUE(o.out.ends_with("\nGeschrieben: P.ini – Y von 3 Spline-Punkten auf das "
                                    "Gelände gesetzt (Versatz 0,05 m)\n"))
            << o.out;
        EXPECT_EQ(o.err, "");
        // The ground at x = -100, 0 and 90.5 is 12.8, 22.8 and 31.85 m.
        EXPECT_EQ(test::readFile(dir / "P.ini"),
                  "; meine Strasse\r\n[Fahrbahn_Geo]\r\nBreite=7\r\n[Rand_rechts_Geo]\r\n"
                  "enable1=0\r\n[Rand_links_Geo]\r\nenable1=0\r\n[Splines]\r\nAnzahl=3\r\n"
                  "[SplinePts1]\r\nX=-100\r\nY=12,85\r\nZ=5\r\nXrot=1,5\r\nYrot=90\r\n"
                  "[SplinePts2]\r\nX=0\r\nY=22,85\r\nZ=0\r\nYrot=90\r\n"
                  "[SplinePts3]\r\nX=90,5\r\nZ=-5\r\nYrot=90\r\nunbekannt=ja\r\nY=31,9\r\n")
            << source;
    }
    // With the climbs computed from the new heights, the road lies on the slope within a
    // tenth of a metre along its whole length, not only at its points.
    ASSERT_EQ(cli(dir, "richtungen P.ini").status, 0);
    const Outcome o = cli(dir, "gelaende P.ini karte.i3d --decimal-separator ,");
    EXPECT_EQ(o.status, 0) << o.out;
    EXPECT_NE(o.out.find("\nToleranz 0,1 m eingehalten\n"), std::string::npos) << o.out;
}

TEST(CliTerrain, writesTheTableTheHeightMapAndTheMaskTogether) {
    test::TempDir dir;
    writeSlopeMap(dir);
    test::writeFile(dir / "P.ini", kAcross);
    test::writeFile(dir / "alt.png", "die alte Maske");
    const Outcome o = cli(dir, "gelaende P.ini karte.i3d --csv stationen.csv --dem-ausgabe "
                               "neu.png --uebergang 2 --tiefe 0 --maske-ausgabe alt.png "
                               "--maske-groesse 128 --decimal-separator ,");
    EXPECT_EQ(o.status, 1); // beyond the tolerance, but every file written
    EXPECT_EQ(o.err, "");
    // 100 m of level road across the slope: two samples at its ends, two between them. The
    // height map changes under the road (7 × 101 pixels) and less than 2 m beside it (two
    // columns, a row of 7 at each end, the four pixels diagonal to its corners); the mask's
    // squares of 2 m have their centres on odd metres: 4 across the road, 50 along it.
    EXPECT_TRUE(o.out.ends_with(
        "Geschrieben: stationen.csv – 4 Stationen\n"
        "Geschrieben: neu.png – Höhenkarte 257 × 257 Pixel, davon 927 an die Straße "
        "angepasst\n"
        "Geschrieben: alt.png – Maske 128 × 128 Pixel, 200 unter der Fahrbahn (255), 0 unter "
        "den Rändern (128)\n"))
        << o.out;
    const std::string csv = test::readFile(dir / "stationen.csv");
    EXPECT_TRUE(csv.starts_with(
        "Station;Fahrbahn_rechts;Fahrbahn_links;Rand_rechts_aussen;Rand_links_aussen\r\n"
        "0,000;0,300;-0,300;;\r\n"))
        << csv;
    EXPECT_TRUE(csv.ends_with("100,000;0,300;-0,300;;\r\n")) << csv;
    const GreyImage16 flattened = readGreyPng16(dir / "neu.png");
    const GreyImage16 original = readGreyPng16(dir / "data" / "dem.png");
    for (int r = 0; r < 257; ++r) {
        for (int c = 0; c < 257; ++c) {
            const int x = c - 128, z = r - 128;
            // Under the road (|x| <= 3, |z| <= 50) its level of 22.8 m; beyond the falloff the
            // map's own pixels.
            if (std::abs(x) <= 3 && std::abs(z) <= 50) {
                ASSERT_EQ(flattened.at(c, r), 22800) << x << ", " << z;
            } else if (std::abs(x) >= 5 || std::abs(z) >= 52) {
                ASSERT_EQ(flattened.at(c, r), original.at(c, r)) << x << ", " << z;
            }
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
        // No file written may be one the command reads, nor another it writes.
        {"gelaende P.ini karte.i3d --csv ./P.ini",
         "--csv ./P.ini ist die Parameterdatei; bitte eine neue Datei wählen"},
        {"gelaende P.ini karte.i3d --dem-ausgabe karte.i3d",
         "--dem-ausgabe karte.i3d ist die Karte; bitte eine neue Datei wählen"},
        {"gelaende P.ini --dem data/dem.png --hoehenskala 1 --einheiten-pro-pixel 1 "
         "--maske-ausgabe data/../data/dem.png",
         "--maske-ausgabe data/../data/dem.png ist die Höhenkarte; bitte eine neue Datei wählen"},
        {"gelaende P.ini karte.i3d --csv a.csv --maske-ausgabe ./a.csv",
         "--csv und --maske-ausgabe nennen dieselbe Datei ./a.csv"},
        {"gelaende P.ini karte.i3d --csv ''", "leerer Dateiname für --csv"},
        // Settings of a file that is not written, and values out of range.
        {"gelaende P.ini karte.i3d --uebergang 3", "--uebergang gilt nur mit --dem-ausgabe"},
        {"gelaende P.ini karte.i3d --tiefe 0,1", "--tiefe gilt nur mit --dem-ausgabe"},
        {"gelaende P.ini karte.i3d --maske-groesse 64",
         "--maske-groesse gilt nur mit --maske-ausgabe"},
        {"gelaende P.ini karte.i3d --dem-ausgabe n.png --uebergang 50,5",
         "--uebergang: 50,5 ist mehr als 50 m"},
        {"gelaende P.ini karte.i3d --dem-ausgabe n.png --tiefe=-0,02",
         "--tiefe: -0,02 ist negativ"},
        {"gelaende P.ini karte.i3d --toleranz=-0,1", "--toleranz: -0,1 ist negativ"},
        {"gelaende P.ini karte.i3d --toleranz 10cm",
         "--toleranz: '10cm' ist kein gültiger Gleitkommawert"},
        {"gelaende P.ini karte.i3d --maske-ausgabe m.png --maske-groesse 0",
         "--maske-groesse: 0 liegt nicht zwischen 1 und 16385 Pixeln"},
        {"gelaende P.ini karte.i3d --maske-ausgabe m.png --maske-groesse 1,5",
         "--maske-groesse: '1,5' ist kein gültiger Integerwert"},
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
    // The road across the slope, but from 150 m before the map's edge.
    std::string longer = kAcross;
    longer.replace(longer.find("Z=-50"), 5, "Z=-150");
    test::writeFile(dir / "lang.ini", longer);
    std::filesystem::create_directory(dir / "ordner");
    // The same road 70 m high, above the highest height the map's scale holds (65.535 m).
    std::string high = kAcross;
    for (std::size_t at; (at = high.find("Y=22,8")) != std::string::npos;)
        high.replace(at, 6, "Y=70");
    test::writeFile(dir / "hoch.ini", high);
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
        // Every file or none: a target that can never be replaced is found before anything
        // is read, the map's height map as a target once the map names it, a road that
        // leaves the map once it is built.
        {"gelaende --auf-gelaende P.ini karte.i3d --csv s.csv --maske-ausgabe ordner",
         "Fehler: Ungültiger Dateiname: ordner\n" + kept +
             "s.csv wurde nicht angelegt, ordner bleibt unverändert, P.ini bleibt unverändert)\n"},
        {"gelaende P.ini karte.i3d --csv s.csv --dem-ausgabe data/./dem.png",
         "Fehler: Die Höhenkarte data/dem.png wird nicht überschrieben; bitte eine neue Datei "
         "wählen\n" +
             kept + "s.csv wurde nicht angelegt, data/./dem.png bleibt unverändert)\n"},
        {"gelaende --decimal-separator , --csv s.csv --maske-ausgabe m.png lang.ini karte.i3d",
         "Fehler: Station 0 m (rechter Fahrbahnrand, x = -3, z = -150) liegt außerhalb des "
         "Geländes (x von -128 bis 128 m, z von -128 bis 128 m)\n" +
             kept + "s.csv wurde nicht angelegt, m.png wurde nicht angelegt)\n"},
        {"gelaende --decimal-separator , --toleranz 100 --dem-ausgabe neu.png hoch.ini karte.i3d",
         "Fehler: Die Straße liegt bei x = -3, z = -50 auf 69,98 m; die Höhenkarte fasst nur "
         "Höhen von 0 bis 65,535 m (heightScale und Verschiebung der Karte)\n" +
             kept + "neu.png wurde nicht angelegt)\n"},
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
