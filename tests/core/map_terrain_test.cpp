#include "terrain/map_terrain.h"

#include "io/paths.h"
#include "support/test_support.h"
#include "uGlobal/errors.h"

#include <gtest/gtest.h>

#include <string>

namespace trassolin {
namespace {

// The parts of a map's i3d that the terrain needs, as the editor writes them.
std::string mapText(const std::string& terrainAttributes, const std::string& around = "",
                    const std::string& files = "") {
    return "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
           "<i3D name=\"map\" version=\"1.6\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xsi:noNamespaceSchemaLocation=\"http://i3d.giants.ch/schema/i3d-1.6.xsd\">\n"
           "  <Asset>\n    <Export program=\"GIANTS Editor 64bit\" version=\"9.0.2\"/>\n  "
           "</Asset>\n"
           "  <Files>\n"
           "    <File fileId=\"1\" filename=\"$data/shared/default_normal.dds\"/>\n"
           "    <File fileId=\"3\" filename=\"data/map_dem.png\"/>\n" +
           files +
           "  </Files>\n"
           "  <Materials>\n    <Material name=\"terrain\" materialId=\"4\"/>\n  </Materials>\n"
           "  <Scene>\n"
           "    <TransformGroup name=\"gameplay\" nodeId=\"1\"/>\n" +
           around.substr(0, around.find('|')) +
           "    <TerrainTransformGroup name=\"terrain\" nodeId=\"2\" " + terrainAttributes +
           " materialId=\"4\">\n"
           "      <Layers>\n        <Layer name=\"grass\" detailMapId=\"1\" weightMapId=\"1\"/>\n  "
           "    </Layers>\n"
           "    </TerrainTransformGroup>\n" +
           (around.find('|') == std::string::npos ? "" : around.substr(around.find('|') + 1)) +
           "  </Scene>\n</i3D>\n";
}

MapTerrain parsed(const std::string& text, std::vector<Message>* messages = nullptr) {
    CollectingMessageSink sink;
    MapTerrain t = parseMapTerrain(text, std::filesystem::path("maps") / "map.i3d", sink);
    if (messages) *messages = sink.messages;
    return t;
}

TEST(MapTerrain, readsTheHeightMapItsScaleAndItsSpacing) {
    std::vector<Message> messages;
    const MapTerrain t =
        parsed(mapText("heightMapId=\"3\" heightScale=\"300\" unitsPerPixel=\"2\""), &messages);
    EXPECT_EQ(t.heightMapFile, std::filesystem::path("maps") / "data/map_dem.png");
    EXPECT_EQ(t.placement.heightScale, 300.0);
    EXPECT_EQ(t.placement.unitsPerPixel, 2.0);
    EXPECT_EQ(t.placement.x, 0.0);
    EXPECT_EQ(t.placement.y, 0.0);
    EXPECT_TRUE(messages.empty());
}

TEST(MapTerrain, takesTheEditorsDefaultsForMissingAttributesAndSaysSo) {
    std::vector<Message> messages;
    const MapTerrain t = parsed(mapText("heightMapId=\"3\""), &messages);
    EXPECT_EQ(t.placement.heightScale, 255.0);
    EXPECT_EQ(t.placement.unitsPerPixel, 1.0);
    const std::string at = displayPath(std::filesystem::path("maps") / "map.i3d") +
                           ", Zeile 15, <TerrainTransformGroup>: ";
    EXPECT_EQ(messages,
              (std::vector<Message>{
                  {MessageKind::Information,
                   at + "heightScale fehlt; angenommen wird 255 (Vorgabe des Editors)"},
                  {MessageKind::Information,
                   at + "unitsPerPixel fehlt; angenommen wird 1 (Vorgabe des Editors)"}}));
}

TEST(MapTerrain, readsXmlAsXmlNotLineByLine) {
    // Attributes over several lines, single quotes, entities, a backslash path, and terrain
    // nodes that only a comment or CDATA holds.
    const std::string text =
        "<i3D name='m'>\n<!-- <Scene><TerrainTransformGroup heightMapId=\"1\"/></Scene> -->\n"
        "<Files><File fileId='7'\n   filename='data\\h&#246;he &amp; tal.png'/></Files>\n"
        "<Scene><![CDATA[<TerrainTransformGroup heightMapId=\"1\">]]>\n"
        "<TerrainTransformGroup\n  name=\"t\"\n  heightMapId = '7' heightScale='2.5e2'\n"
        "  unitsPerPixel=\"0,5\"></TerrainTransformGroup></Scene></i3D>";
    const MapTerrain t = parsed(text);
    EXPECT_EQ(
        displayPath(t.heightMapFile),
        displayPath(std::filesystem::path("maps") / "data" / pathFromUtf8("h\xC3\xB6he & tal.png")));
    EXPECT_EQ(t.placement.heightScale, 250.0);
    EXPECT_EQ(t.placement.unitsPerPixel, 0.5);
}

TEST(MapTerrain, addsTheTranslationsOfTheNodeAndItsGroups) {
    const MapTerrain t = parsed(mapText("heightMapId=\"3\" translation=\"1 2 3\"",
                                        "<TransformGroup name=\"a\" translation=\"10 -20 30\">\n"
                                        "<TransformGroup name=\"b\" translation=\"0.5 0 0\" "
                                        "rotation=\"0 0 0\" scale=\"1 1 1\">\n"
                                        "|</TransformGroup>\n</TransformGroup>\n"));
    EXPECT_EQ(t.placement.x, 11.5);
    EXPECT_EQ(t.placement.y, -18.0);
    EXPECT_EQ(t.placement.z, 33.0);
}

TEST(MapTerrain, usesTheFirstOfTwoTerrainsWithAWarning) {
    std::vector<Message> messages;
    const MapTerrain t =
        parsed(mapText("heightMapId=\"3\" heightScale=\"100\" unitsPerPixel=\"1\"",
                       "|<TerrainTransformGroup name=\"zwei\" heightMapId=\"9\"/>\n",
                       "<File fileId=\"9\" filename=\"other.png\"/>\n"),
               &messages);
    EXPECT_EQ(t.placement.heightScale, 100.0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages[0].text, displayPath(std::filesystem::path("maps") / "map.i3d") +
                                    ": 2 Gelände gefunden; verwendet wird das erste (terrain)");
}

TEST(MapTerrain, refusesWhatGivesNoGroundWithFileAndLine) {
    const std::string name = displayPath(std::filesystem::path("maps") / "map.i3d");
    const std::string at = name + ", Zeile 15, <TerrainTransformGroup>";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"<i3D><Files/><Scene><Shape name=\"x\"/></Scene></i3D>",
         "Die Datei " + name +
             " enthält kein Gelände (kein TerrainTransformGroup in der Szene); "
             "bitte die i3d-Datei der Karte wählen"},
        // Outside the scene a terrain node is no terrain.
        {"<i3D><TerrainTransformGroup heightMapId=\"3\"/><Scene/></i3D>",
         "Die Datei " + name +
             " enthält kein Gelände (kein TerrainTransformGroup in der Szene); "
             "bitte die i3d-Datei der Karte wählen"},
        {mapText("heightScale=\"255\""), at + ": heightMapId fehlt"},
        {mapText("heightMapId=\"5\""),
         at + ": heightMapId 5 nennt keine Datei (kein <File fileId=\"5\">)"},
        {mapText("heightMapId=\"drei\""),
         at + " heightMapId: 'drei' ist kein gültiger Integerwert"},
        {mapText("heightMapId=\"3\" heightScale=\"hoch\""),
         at + " heightScale: 'hoch' ist kein gültiger Gleitkommawert"},
        {mapText("heightMapId=\"1\""),
         at + ": die Höhenkarte $data/shared/default_normal.dds liegt im Ordner des Spiels; "
              "erwartet wird die Höhenkarte der Karte"},
        {mapText("heightMapId=\"3\" rotation=\"0 90 0\""),
         at + ": das Gelände ist gedreht oder skaliert; Trassolin kennt nur ein ungedrehtes, "
              "ungeskaliertes Gelände"},
        {mapText("heightMapId=\"3\"",
                 "<TransformGroup name=\"g\" scale=\"2 2 2\">\n|</TransformGroup>\n"),
         name + ", Zeile 16, <TerrainTransformGroup>: das Gelände ist gedreht oder skaliert; "
                "Trassolin kennt nur ein ungedrehtes, ungeskaliertes Gelände"},
        {mapText("heightMapId=\"3\" translation=\"1 2\""),
         at + " translation: '1 2' sind nicht drei Zahlen"},
        {"<i3D><Scene><TerrainTransformGroup heightMapId=\"3\">\n</Scene></i3D>",
         "Die Datei " + name +
             " ist kein gültiges XML (Zeile 2): </Scene> passt zu keinem offenen Tag"},
        {"<i3D><Scene>\n<TerrainTransformGroup heightMapId=\"3\"",
         "Die Datei " + name +
             " ist kein gültiges XML (Zeile 2): Tag <TerrainTransformGroup nicht "
             "abgeschlossen"},
        {"<i3D><Scene><TerrainTransformGroup heightMapId=\"3\"/>",
         "Die Datei " + name + " endet vor </Scene>"},
        {"<i3D>\n<!-- offen",
         "Die Datei " + name + " ist kein gültiges XML (Zeile 2): nicht abgeschlossen"},
        {"<i3D><File fileId=\"3\" filename=\"a&b.png\"/></i3D>",
         "Die Datei " + name + " ist kein gültiges XML (Zeile 1): ungültiges Zeichen '&'"},
        {"<i3D>\n\n<File fileId=\"3\" filename=\"a&auml;b.png\"/></i3D>",
         "Die Datei " + name + " ist kein gültiges XML (Zeile 3): unbekannte Entität &auml;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(test::thrownMessage<TrassolinError>([&] { parsed(c.text); }), c.message)
            << c.text;
    }
}

TEST(MapTerrain, readsTheFileAndNamesItWhenItCannot) {
    test::TempDir dir;
    test::writeFile(dir / "map.i3d",
                    mapText("heightMapId=\"3\" heightScale=\"255\" unitsPerPixel=\"1\""));
    CollectingMessageSink sink;
    EXPECT_EQ(readMapTerrain(dir / "map.i3d", sink).heightMapFile, dir / "data/map_dem.png");
    EXPECT_EQ(test::thrownMessage<IoError>([&] { readMapTerrain(dir / "fehlt.i3d", sink); }),
              "Die Datei " + displayPath(dir / "fehlt.i3d") + " kann nicht geöffnet werden");
}

// The element and attribute names are those of the published i3d schema: the test map
// validates against it.
TEST(MapTerrain, theTestMapIsAValidI3dDocument) {
    if (!test::xmllintAvailable()) GTEST_SKIP() << "xmllint is not installed";
    const auto schema = test::currentI3dSchema();
    if (schema.empty()) GTEST_SKIP() << "no shared i3d schema";
    test::TempDir dir;
    test::writeFile(dir / "map.i3d",
                    mapText("heightMapId=\"3\" heightScale=\"255\" unitsPerPixel=\"1\""));
    std::string log;
    EXPECT_EQ(test::xmllint("--noout --schema '" + schema.string() + "'", dir / "map.i3d", log), 0)
        << log;
}

} // namespace
} // namespace trassolin
