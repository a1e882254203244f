#include "output/document.h"
#include "uGlobal/errors.h"
#include "uSplinePkts/spline_punkte.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

namespace trassolin {
namespace {

std::array<double, 6> pose(const TSplinePkt& p) {
    return {p.X, p.Y, p.Z, p.Xrot, p.Yrot, p.Zrot};
}

std::filesystem::path sample(const std::string& name) {
    return test::sharedDir() / "data" / "i3d" / "samples" / name;
}

// A set of `count` points tagged by their X, as an earlier import would have left it.
TSplinePunkte setOf(int count) {
    TSplinePunkte set;
    while (set.count() > 0)
        set.erase(0);
    for (int i = 0; i < count; ++i)
        set.append().X = 100 + i;
    set.setCurrent(count - 1);
    set.setFileName("vorher.i3d");
    return set;
}

std::filesystem::path sceneFile(const test::TempDir& dir, const std::string& body) {
    const auto file = dir / "export.i3d";
    test::writeFile(file,
                    "<i3D>\r\n  <Shapes>\r\n    <Shape translation=\"9 9 9\"/>\r\n  </Shapes>\r\n"
                    "  <Scene>\r\n" +
                        body + "  </Scene>\r\n</i3D>\r\n");
    return file;
}

TEST(SplineImport, readsTheScenesOfRealEditorExports) {
    const struct {
        const char* file;
        int count;
        int index;
        std::array<double, 6> pose;
    } cases[] = {
        {"courseplay-ge418/NurGerade.i3d", 2, 1, {0, 0, 0, 0, 180, 0}},
        {"courseplay-ge418/STOP.i3d", 2, 0, {0, 0, 0, 0, 0, 0}},
        {"fs22-westby-splines/sellingStationGrainElevator.i3d",
         3,
         2,
         {-0.547502, 0.112278, 0.314252, 0, 0, 1.76294e-05}},
        {"fs22-westby-splines/splines.i3d", 231, 0, {-2183.49, 219.752, -231.4, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        if (!std::filesystem::exists(sample(c.file))) GTEST_SKIP() << "no sample " << c.file;
        TSplinePunkte set = setOf(5);
        set.importFromI3d(sample(c.file));
        ASSERT_EQ(set.count(), c.count) << c.file;
        EXPECT_EQ(pose(*set.get(c.index)), c.pose) << c.file;
        EXPECT_EQ(set.current(), 0);
        EXPECT_EQ(set.fileName(), sample(c.file).string());
    }
}

TEST(SplineImport, takesOnePointPerShapeLineOfTheSceneOnly) {
    test::TempDir dir;
    const auto file =
        sceneFile(dir, "    <TransformGroup>\r\n"
                       "      <Shape translation=\"10,5 0 -5\" rotation=\"0 -90,25 1e-3\"/>\r\n"
                       "      <Shape rotation=\"1 2 3\"/>\r\n"
                       "      <Shape translation=\"10   0  -5   \"/>\r\n"
                       "    </TransformGroup>\r\n");
    for (const int before : {2, 5}) {
        TSplinePunkte set = setOf(before);
        set.importFromI3d(file);
        ASSERT_EQ(set.count(), 3);
        EXPECT_EQ(pose(*set.get(0)), (std::array<double, 6>{10.5, 0, -5, 0, -90.25, 0.001}));
        EXPECT_EQ(pose(*set.get(1)), (std::array<double, 6>{0, 0, 0, 1, 2, 3}));
        EXPECT_EQ(pose(*set.get(2)), (std::array<double, 6>{10, 0, -5, 0, 0, 0}));
        EXPECT_EQ(set.current(), 0);
    }
}

TEST(SplineImport, aShapeLineThatClosesTheSceneIsTheLastPoint) {
    test::TempDir dir;
    const auto file = dir / "export.i3d";
    test::writeFile(
        file, "<Scene>\n<Shape translation=\"1 2 3\"/></Scene>\n<Shape translation=\"4 5 6\"/>\n");
    TSplinePunkte set = setOf(2);
    set.importFromI3d(file);
    ASSERT_EQ(set.count(), 1);
    EXPECT_EQ(set.get(0)->Z, 3.0);
}

TEST(SplineImport, readsExportsWithAnyLineEnd) {
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        test::TempDir dir;
        const auto file = dir / "export.i3d";
        test::writeFile(file, "<i3D>" + end + "<Scene>" + end +
                                  "<Shape name=\"a\" translation=\"1 2 3\" rotation=\"0 90 0\"/>" +
                                  end + "<Shape name=\"b\" translation=\"4 5 6\"/>" + end +
                                  "</Scene>" + end + "</i3D>" + end);
        TSplinePunkte points;
        ASSERT_NO_THROW(points.importFromI3d(file)) << end.size();
        ASSERT_EQ(points.count(), 2);
        EXPECT_EQ(points.get(0)->Yrot, 90.0);
        EXPECT_EQ(points.get(1)->Z, 6.0);
    }
}

TEST(SplineImport, aFailedImportLeavesThePointsAndTheirFileAsTheyWere) {
    test::TempDir dir;
    std::string tooMany = "<Scene>\n";
    for (int i = 0; i <= kMaxSplinePoints; ++i)
        tooMany += "<Shape/>\n";
    tooMany += "</Scene>\n";
    test::writeFile(dir / "viele.i3d", tooMany);
    test::writeFile(dir / "offen.i3d", "<Scene>\n<Shape translation=\"1 2 3\"/>\n");
    test::writeFile(dir / "leer.i3d", "<i3D>\n<Shape translation=\"1 2 3\"/>\n</i3D>\n");
    test::writeFile(dir / "ohne.i3d", "<i3D>\n<Scene>\n<TransformGroup name=\"leer\"/>\n</Scene>\n");
    // A road this program wrote: Shapes in the scene, but no spline points among them.
    test::writeFile(dir / "strasse.i3d",
                    documentHead(RoadMesh{}) +
                        "  </Shapes>\r\n  <Scene>\r\n    <Shape name=\"Strasse\" shapeId=\"1\">\r\n"
                        "       <TransformGroup name=\"SplinePkt1\" translation=\"0 0 0\"/>\r\n"
                        "    </Shape>\r\n  </Scene>\r\n</i3D>\r\n");
    test::writeFile(dir / "gross.i3d", "<Scene>\n<Shape/>\n</Scene>\n");
    std::filesystem::resize_file(dir / "gross.i3d", kMaxExportFileBytes + 1); // sparse
    const auto name = [&](const char* file) { return (dir / file).string(); };

    const struct {
        std::string body; // scene lines; empty: the file below
        std::filesystem::path file;
        std::string message;
    } cases[] = {
        {"<Shape translation=\" 10 0 -5\"/>\n", {}, "'' ist kein gültiger Gleitkommawert"},
        {"<Shape translation=\"10\t0 -5\"/>\n", {}, "'10\t0' ist kein gültiger Gleitkommawert"},
        {"<Shape rotation=\"1 2\"/>\n", {}, "'' ist kein gültiger Gleitkommawert"},
        {"<Shape/>\n<Shape rotation=\"1 2 3 4\"/>\n", {}, "'3 4' ist kein gültiger Gleitkommawert"},
        {"<Shape translation=\"" + std::string(1'000'000, '1') + "- 0 0\"/>\n", {},
         "'" + std::string(40, '1') + "…' ist kein gültiger Gleitkommawert"},
        {"", dir / "fehlt.i3d", "Die Datei " + name("fehlt.i3d") + " kann nicht geöffnet werden"},
        {"", dir.path(), "Die Datei " + dir.path().string() + " kann nicht gelesen werden"},
        {"", dir / "leer.i3d", "Die Datei " + name("leer.i3d") + " enthält keine Szene (<Scene>)"},
        {"", dir / "offen.i3d",
         "Die Szene in " + name("offen.i3d") + " ist nicht abgeschlossen (</Scene> fehlt)"},
        {"", dir / "viele.i3d",
         "Die Datei " + name("viele.i3d") + " enthält mehr als 100000 Spline-Punkte"},
        {"", dir / "ohne.i3d",
         "Die Szene in " + name("ohne.i3d") +
             " enthält keine Spline-Punkte (<Shape>); die Spline-Punkte bleiben, wie sie waren"},
        {"", dir / "strasse.i3d",
         "Die Datei " + name("strasse.i3d") +
             " ist eine von Trassolin erzeugte Straße, kein Export von Spline-Punkten; die "
             "Spline-Punkte bleiben, wie sie waren"},
        {"", dir / "gross.i3d",
         "Die Datei " + name("gross.i3d") +
             " ist mit 257 MB zu groß für einen Spline-Export (höchstens 256 MB)"},
    };
    for (const auto& c : cases) {
        const auto file = c.body.empty() ? c.file : sceneFile(dir, c.body);
        TSplinePunkte set = setOf(4);
        try {
            set.importFromI3d(file);
            ADD_FAILURE() << "no error for " << file;
        } catch (const TrassolinError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
            const bool conversion = dynamic_cast<const ConversionError*>(&e) != nullptr;
            EXPECT_EQ(conversion, !c.body.empty()) << c.message;
        }
        ASSERT_EQ(set.count(), 4);
        EXPECT_EQ(set.get(3)->X, 103.0);
        EXPECT_EQ(set.current(), 3);
        EXPECT_EQ(set.fileName(), "vorher.i3d");
    }
}

// The editor names the root after the scene: a map its author called "Trassolin" is still an
// export, which the editor marks as its own.
TEST(SplineImport, anEditorSceneNamedLikeThisProgramIsImported) {
    test::TempDir dir;
    const auto file = dir / "export.i3d";
    test::writeFile(file, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
                          "<i3D name=\"Trassolin\" version=\"1.6\">\n  <Asset>\n"
                          "    <Export program=\"GIANTS Editor 64bit\" version=\"9.0.2\"/>\n"
                          "  </Asset>\n  <Scene>\n    <Shape translation=\"1 2 3\"/>\n"
                          "    <Shape translation=\"4 5 6\"/>\n  </Scene>\n</i3D>\n");
    TSplinePunkte set = setOf(3);
    set.importFromI3d(file);
    ASSERT_EQ(set.count(), 2);
    EXPECT_EQ(set.get(1)->Z, 6.0);
}

TEST(SplineImport, aValueThatIsNoNumberNamesTheFileAndTheLine) {
    test::TempDir dir;
    const auto file = sceneFile(dir, "    <Shape translation=\"1 2 3\"/>\r\n"
                                     "    <Shape translation=\"1 2 3\" rotation=\"0 x 0\"/>\r\n");
    TSplinePunkte set = setOf(2);
    try {
        set.importFromI3d(file);
        ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'x' ist kein gültiger Gleitkommawert");
        EXPECT_EQ(e.where.file, file);
        EXPECT_EQ(e.where.line, 7);
        EXPECT_TRUE(e.where.key.empty());
    }
}

// The scanner follows the nesting of the scene's lines; the points it takes are the same.
TEST(SplineImport, reportsShapesItSkipsAndThoseInsideTransformedNodes) {
    const struct {
        const char* name;
        std::string body;
        int points, skipped, transformed;
    } cases[] = {
        {"flat", "<Shape/>\n<Shape/>\n", 2, 0, 0},
        {"secondOnALine", "<Shape/><Shape/>\n<Shape/> <Shape/> <Shape/>\n", 2, 3, 0},
        {"sceneLine", "<Shape/>\n", 1, 0, 1}, // inside the group the scene line opens
        {"movedGroup",
         "<TransformGroup translation=\"0 1 0\">\n<Shape/>\n</TransformGroup>\n<Shape/>\n", 2, 0,
         1},
        {"turnedGroup",
         "<TransformGroup rotation=\"0 0 0,5\">\n<Shape/>\n<Shape/>\n</TransformGroup>\n", 2, 0, 2},
        {"scaledGroup", "<TransformGroup scale=\"2 2 2\">\n<Shape/>\n</TransformGroup>\n", 1, 0, 1},
        {"identityGroups",
         "<TransformGroup translation=\"0 0 0\" rotation=\"0,0 0 -0\" scale=\"1 1 1\">\n"
         "<TransformGroup>\n<Shape/>\n</TransformGroup>\n</TransformGroup>\n",
         1, 0, 0},
        {"selfClosingGroup", "<TransformGroup translation=\"5 0 0\"/>\n<Shape/>\n", 1, 0, 0},
        {"nestedThenLeft",
         "<TransformGroup>\n<TransformGroup translation=\"1 0 0\">\n<Shape/>\n"
         "</TransformGroup>\n<Shape/>\n</TransformGroup>\n",
         2, 0, 1},
        {"parentShape", "<Shape translation=\"1 0 0\">\n<Shape/>\n</Shape>\n<Shape/>\n", 3, 0, 1},
        {"unreadableTransform",
         "<TransformGroup translation=\"a b c\">\n<Shape/>\n</TransformGroup>\n", 1, 0, 1},
        // The import takes any line with "<Shape" (a comment too); the nesting looks at tags.
        {"commentAndStrayClose", "<!-- <Shape/> -->\n</TransformGroup>\n<Shape/>\n", 2, 0, 0},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const auto file = dir / "export.i3d";
        const std::string sceneLine =
            std::string(c.name) == "sceneLine"
                ? "<Scene><Shape/><TransformGroup translation=\"1 1 1\">\n"
                : "<Scene>\n";
        test::writeFile(file, "<i3D>\n" + sceneLine + c.body + "</Scene>\n</i3D>\n");
        TSplinePunkte set = setOf(1);
        const ImportReport report = set.importFromI3d(file);
        EXPECT_EQ(set.count(), c.points) << c.name;
        EXPECT_EQ(report.skippedShapes, c.skipped + (std::string(c.name) == "sceneLine")) << c.name;
        EXPECT_EQ(report.shapesInTransformedGroups, c.transformed) << c.name;
    }
}

} // namespace
} // namespace trassolin
