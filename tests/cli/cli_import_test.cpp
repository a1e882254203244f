#include "cli_runner.h"

#include <gtest/gtest.h>

#include <string>

namespace trassolin {
namespace {

using test::cli;
using test::Outcome;

// What an export looks like to the import: `scene` between the lines that open and close it.
std::string exportOf(const std::string& scene) {
    return "<i3D>\n<Shapes>\n<IndexedTriangleSet name=\"kugel\"/>\n</Shapes>\n<Scene>\n" + scene +
           "</Scene>\n</i3D>\n";
}

std::string shape(const char* translation, const char* rotation = "0 45 0") {
    return std::string("<Shape name=\"p\" translation=\"") + translation + "\" rotation=\"" +
           rotation + "\"/>\n";
}

// Exports that give a road other than the one meant are imported, with a warning for each
// reason; the parameter file is written all the same.
TEST(CliImport, warnsAboutPointsThatWillNotGiveTheIntendedRoad) {
    const std::string kPrefix = "Warnung: export.i3d: ";
    const struct {
        const char* name;
        std::string scene;
        int points;
        std::string warnings; // after the prefix, one per line
    } cases[] = {
        {"twoGoodPoints", shape("0 0 0") + shape("10 0 10"), 2, ""},
        {"onePoint", shape("0 0 0"), 1,
         "nur 1 Spline-Punkt gefunden; eine Straße braucht mindestens zwei"},
        {"neighboursOnOneSpot", shape("0 0 0") + shape("5 0 5") + shape("5,02 3 5,03"), 3,
         "SplinePunkte 2 und 3 liegen aufeinander (waagerecht 0,036 m auseinander); daraus "
         "lässt sich keine Straße erzeugen"},
        {"manyNeighboursOnOneSpot",
         shape("0 0 0") + shape("0 1 0") + shape("0 2 0") + shape("0 3 0") + shape("0 4 0") +
             shape("0 5 0") + shape("9 0 9"),
         7,
         "SplinePunkte 1 und 2 liegen aufeinander (waagerecht 0 m auseinander); daraus lässt "
         "sich keine Straße erzeugen\nWarnung: export.i3d: SplinePunkte 2 und 3 liegen "
         "aufeinander (waagerecht 0 m auseinander); daraus lässt sich keine Straße erzeugen\n"
         "Warnung: export.i3d: SplinePunkte 3 und 4 liegen aufeinander (waagerecht 0 m "
         "auseinander); daraus lässt sich keine Straße erzeugen\nWarnung: export.i3d: 2 weitere "
         "Paare benachbarter SplinePunkte liegen ebenfalls aufeinander"},
        {"noHeadingAnywhere", shape("0 0 0", "0 0 0") + shape("10 0 10", "0 0 0"), 2,
         "alle Punkte haben Yrot = 0: die Straße verläuft an jedem Punkt in +Z-Richtung; Punkte "
         "im Editor ausrichten oder die Richtungen berechnen lassen (import-splines --richtungen)"},
        {"noRotationAttribute",
         "<Shape translation=\"0 0 0\"/>\n<Shape translation=\"-3 0 10\"/>\n", 2,
         "alle Punkte haben Yrot = 0: die Straße verläuft an jedem Punkt in +Z-Richtung; Punkte "
         "im Editor ausrichten oder die Richtungen berechnen lassen (import-splines --richtungen)"},
        // Straight along +Z, a heading of 0 is right.
        {"straightAlongZ", shape("0 0 0", "0 0 0") + shape("0 2 10", "5 0 0"), 2, ""},
        {"twoShapesOnALine",
         "<Shape translation=\"0 0 0\" rotation=\"0 45 0\"/><Shape translation=\"1 0 1\"/>\n" +
             shape("10 0 10"),
         2,
         "1 Shape übersprungen: gelesen wird nur das erste <Shape einer Zeile und nichts aus der "
         "Zeile mit <Scene>"},
        {"insideMovedGroups",
         "<TransformGroup name=\"splines\" translation=\"100 0 -50\">\n" + shape("0 0 0") +
             "<TransformGroup name=\"ruhig\" translation=\"0 0 0\" rotation=\"0 0 0\">\n" +
             shape("10 0 10") + "</TransformGroup>\n</TransformGroup>\n" + shape("20 0 20"),
         3,
         "2 Spline-Punkte innerhalb verschobener, gedrehter oder skalierter Gruppen gelesen: ihre "
         "Werte gelten relativ zur Gruppe, nicht zur Karte"},
        {"insideAnUnmovedGroup",
         "<TransformGroup name=\"ruhig\" scale=\"1 1 1\">\n" + shape("0 0 0") + shape("10 0 10") +
             "</TransformGroup>\n",
         2, ""},
        {"insideAShapeWithChildren",
         "<Shape name=\"eltern\" translation=\"0 0 0\" rotation=\"0 90 0\">\n" + shape("1 0 1") +
             "</Shape>\n",
         2,
         "1 Spline-Punkt innerhalb verschobener, gedrehter oder skalierter Gruppen gelesen: ihre "
         "Werte gelten relativ zur Gruppe, nicht zur Karte"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        test::writeFile(dir / "export.i3d", exportOf(c.scene));
        test::writeFile(dir / "P.ini",
                        "[Rand_rechts_Geo]\r\nenable1=0\r\n[Rand_links_Geo]\r\nenable1=0\r\n");
        const Outcome o = cli(dir, "import-splines export.i3d P.ini --decimal-separator ,");
        EXPECT_EQ(o.status, 0) << c.name;
        EXPECT_EQ(o.out, std::to_string(c.points) + " Spline-Punkte importiert aus export.i3d\n")
            << c.name;
        EXPECT_EQ(o.err, c.warnings.empty() ? "" : kPrefix + c.warnings + "\n") << c.name;
        EXPECT_NE(test::readFile(dir / "P.ini").find("Anzahl=" + std::to_string(c.points) + "\r\n"),
                  std::string::npos)
            << c.name;
    }
}

// Several reasons at once are each named, and Shapes on the line that opens the scene count as
// skipped; a bad scene still stops the import as before.
TEST(CliImport, namesEveryReasonOnceAndStillStopsOnABrokenScene) {
    test::TempDir dir;
    test::writeFile(dir / "export.i3d",
                    "<i3D>\n<Scene><Shape translation=\"5 0 5\"/>\n"
                    "<TransformGroup rotation=\"0 30 0\">\n<Shape translation=\"0 0 0\"/>"
                    "<Shape/><Shape/>\n</TransformGroup>\n</Scene>\n</i3D>\n");
    const Outcome o = cli(dir, "import-splines export.i3d P.ini");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "1 Spline-Punkte importiert aus export.i3d\n");
    EXPECT_EQ(
        o.err,
        "Warnung: export.i3d: nur 1 Spline-Punkt gefunden; eine Straße braucht mindestens "
        "zwei\n"
        "Warnung: export.i3d: 3 Shapes übersprungen: gelesen wird nur das erste <Shape einer "
        "Zeile und nichts aus der Zeile mit <Scene>\n"
        "Warnung: export.i3d: 1 Spline-Punkt innerhalb verschobener, gedrehter oder "
        "skalierter Gruppen gelesen: ihre Werte gelten relativ zur Gruppe, nicht zur Karte\n");

    test::writeFile(dir / "offen.i3d", "<Scene>\n<Shape translation=\"1 2 3\"/>\n");
    const auto before = test::readFile(dir / "P.ini");
    const Outcome open = cli(dir, "import-splines offen.i3d P.ini");
    EXPECT_EQ(open.status, 1);
    EXPECT_EQ(open.out, "");
    EXPECT_EQ(open.err,
              "Fehler: Die Szene in offen.i3d ist nicht abgeschlossen (</Scene> fehlt)\n" +
                  test::stopped("P.ini", true));
    EXPECT_EQ(test::readFile(dir / "P.ini"), before);
}

// Markers placed without turning them: the directions come from their neighbours, on import or
// later on the parameter file, and the road then refines without a warning.
TEST(CliImport, directionsComeFromTheNeighboursOnRequest) {
    test::TempDir dir;
    test::writeFile(dir / "export.i3d", exportOf(shape("0 0 0", "0 0 0") + shape("40 1 40", "0 0 0") +
                                                 shape("100 2 50", "0 0 0")));
    const Outcome imported = cli(dir, "import-splines --richtungen export.i3d p.ini");
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.err.find("Yrot = 0"), std::string::npos) << imported.err;
    const std::string withDirections = test::readFile(dir / "p.ini");
    EXPECT_NE(withDirections.find("[SplinePts2]\r\nX=40\r\nY=1\r\nZ=40\r\nXrot="),
              std::string::npos);
    EXPECT_EQ(withDirections.find("Yrot=0\r\n"), std::string::npos) << withDirections;

    const Outcome plain = cli(dir, "import-splines export.i3d q.ini");
    EXPECT_NE(plain.err.find("(import-splines --richtungen)"), std::string::npos) << plain.err;
    const Outcome directions = cli(dir, "richtungen q.ini");
    EXPECT_EQ(directions.status, 0) << directions.err;
    EXPECT_EQ(directions.out, "Richtungen von 3 Spline-Punkten berechnet in q.ini\n");
    // The same file as the import with directions; the import path stays as it was.
    EXPECT_EQ(test::readFile(dir / "q.ini"), withDirections);

    const Outcome road = cli(dir, "generate p.ini road.i3d");
    EXPECT_EQ(road.status, 0) << road.err;
    EXPECT_EQ(road.err, "");

    const Outcome missing = cli(dir, "richtungen fehlt.ini");
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "fehlt.ini"));
}

// Points that cannot be turned are said as such: none turned stops with the file as it was
// (and no section added to a file without points), some turned names how many. The edge
// profiles' warnings on loading have nothing to do with the points.
TEST(CliImport, richtungenSaysHowManyPointsItCouldTurn) {
    test::TempDir dir;
    const std::string stacked = "[Splines]\r\nAnzahl=2\r\n[SplinePts2]\r\nY=5\r\nYrot=30\r\n";
    const std::string none = "[Fahrbahn_Geo]\r\nBreite=7\r\n";
    const std::string some = "[Splines]\r\nAnzahl=3\r\n[SplinePts1]\r\nYrot=3\r\n[SplinePts2]\r\n"
                             "X=5\r\nYrot=5,5\r\n[SplinePts3]\r\nY=4\r\n";
    const std::string one = "[Splines]\r\nAnzahl=1\r\n";
    const struct {
        const char* name;
        std::string file;
        int status;
        std::string out, err;
    } cases[] = {
        {"stacked.ini", stacked, 1, "",
         "Fehler: Keiner der 2 Spline-Punkte erhält eine Richtung: seine Nachbarn liegen "
         "senkrecht übereinander\n" + test::stopped("stacked.ini", true)},
        {"none.ini", none, 1, "",
         "Fehler: Keiner der 2 Spline-Punkte erhält eine Richtung: seine Nachbarn liegen "
         "senkrecht übereinander\n" + test::stopped("none.ini", true)},
        {"one.ini", one, 1, "",
         "Fehler: one.ini hat nur 1 Spline-Punkt; Richtungen brauchen mindestens zwei\n" +
             test::stopped("one.ini", true)},
        {"some.ini", some, 0,
         "Richtungen von 2 der 3 Spline-Punkte berechnet in some.ini; 1 behalten ihre Drehung "
         "(ihre Nachbarn liegen senkrecht übereinander)\n",
         ""},
    };
    for (const auto& c : cases) {
        test::writeFile(dir / c.name, c.file);
        const Outcome o = cli(dir, std::string("richtungen --decimal-separator , ") + c.name);
        EXPECT_EQ(o.status, c.status) << c.name;
        EXPECT_EQ(o.out, c.out) << c.name;
        EXPECT_EQ(o.err, c.err) << c.name;
        if (c.status != 0) {
            EXPECT_EQ(test::readFile(dir / c.name), c.file) << c.name;
        }
    }
    // The middle point keeps its rotation, and its line stays as it was written.
    EXPECT_EQ(test::readFile(dir / "some.ini"),
              "[Splines]\r\nAnzahl=3\r\n[SplinePts1]\r\nYrot=90\r\nXrot=0\r\n[SplinePts2]\r\n"
              "X=5\r\nYrot=5,5\r\n[SplinePts3]\r\nY=4\r\nXrot=-38,66\r\nYrot=-90\r\n");
}

// The road this program wrote is no export: importing it would put every point at the origin.
// An export without markers gives nothing either. Both leave the parameter file as it was.
TEST(CliImport, aFileWithoutSplinePointsChangesNothing) {
    test::TempDir dir;
    test::writeFile(dir / "export.i3d", exportOf(shape("0 0 0") + shape("10 0 10")));
    test::writeFile(dir / "leer.i3d", exportOf("<TransformGroup name=\"nichts\"/>\n"));
    ASSERT_EQ(cli(dir, "import-splines export.i3d P.ini").status, 0);
    ASSERT_EQ(cli(dir, "generate P.ini strasse.i3d").status, 0);
    const std::string before = test::readFile(dir / "P.ini");
    const struct {
        const char* file;
        std::string message;
    } cases[] = {
        {"strasse.i3d", "Die Datei strasse.i3d ist eine von Trassolin erzeugte Straße, kein Export "
                        "von Spline-Punkten; die Spline-Punkte bleiben, wie sie waren"},
        {"leer.i3d", "Die Szene in leer.i3d enthält keine Spline-Punkte (<Shape>); die "
                     "Spline-Punkte bleiben, wie sie waren"},
    };
    for (const auto& c : cases) {
        const Outcome o = cli(dir, std::string("import-splines ") + c.file + " P.ini");
        EXPECT_EQ(o.status, 1) << c.file;
        EXPECT_EQ(o.out, "") << c.file;
        EXPECT_EQ(o.err, "Fehler: " + c.message + "\n" + test::stopped("P.ini", true));
        EXPECT_EQ(test::readFile(dir / "P.ini"), before) << c.file;
    }
}

// Exports from a Windows disk (a cp1252 name) and from a folder whose name holds a line break
// import; the parameter file stays readable, and every other text comes back as it was.
TEST(CliImport, anExportWithAnyNameImportsAndLeavesTheOtherTextsAsTheyWere) {
    test::TempDir dir;
    const std::string texts = "[Preferences]\r\nStrassenName=Straße Süd\r\n[Fahrbahn_Textur]\r\n"
                              "FileName=Łódź.dds\r\n";
    std::filesystem::create_directory(dir / "neu\nOrdner");
    const struct {
        std::string exportFile, stored;
    } cases[] = {
        {"Stra\xDF" "e.i3d", "Straße.i3d"},
        {"neu\nOrdner/export.i3d", "neu?Ordner/export.i3d"},
    };
    for (const auto& c : cases) {
        test::writeFile(dir / c.exportFile, exportOf(shape("0 0 0") + shape("10 0 10")));
        test::writeFile(dir / "P.ini", texts);
        for (int import = 0; import < 3; ++import) {
            const Outcome o = cli(dir, "import-splines '" + c.exportFile + "' P.ini");
            ASSERT_EQ(o.status, 0) << o.err;
        }
        // Łódź has no cp1252 byte: the file is UTF-8 throughout.
        const std::string written = test::readFile(dir / "P.ini");
        EXPECT_NE(written.find("StrassenName=Straße Süd\r\n"), std::string::npos) << written;
        EXPECT_NE(written.find("FileName=Łódź.dds\r\n"), std::string::npos) << written;
        EXPECT_NE(written.find("FileName=" + (dir / c.stored).string() + "\r\n"),
                  std::string::npos)
            << written;
    }
}

} // namespace
} // namespace trassolin
