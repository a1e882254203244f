// The country road as the game generations want it: collision presets and overrides on the
// shapes, the AI road's limits on the node with onCreate, chunks, clip distance, shadows and
// normal maps; and every combination a document both published schemas accept.
#include "generation/game_inputs.h"
#include "generation/random_sequence.h"
#include "generation/run.h"
#include "output/document.h"
#include "output/gltf.h"
#include "settings/parameter_file.h"
#include "support/road_runs.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace trassolin {
namespace {

using test::crlf;

using Outcome = test::RunOutcome;

Outcome run(ParameterSet params, const std::filesystem::path& gltf = {}) {
    return test::runOf(std::move(params), gltf);
}

ParameterSet countryRoad() {
    ParameterSet p = test::example("landstrasse.ini");
    p.trafficMitte = p.trafficRechts = p.trafficLinks = true;
    return p;
}

// Every line of `doc` that contains `marker`, in order.
std::vector<std::string> linesWith(const std::string& doc, const std::string& marker) {
    std::vector<std::string> lines;
    for (std::size_t at = doc.find(marker); at != std::string::npos; at = doc.find(marker, at + 1)) {
        const auto begin = doc.rfind('\n', at) + 1;
        lines.push_back(doc.substr(begin, doc.find('\r', at) - begin));
        at = doc.find('\n', at);
        if (at == std::string::npos) break;
    }
    return lines;
}

// Every vertex and triangle of the document in order, the triangles' indices counted over all
// its IndexedTriangleSets: the mesh, whatever its shapes.
std::string meshLines(const std::string& doc) {
    std::string vertices, triangles;
    const std::regex index(R"re(\d+)re");
    long long offset = 0, count = 0;
    std::size_t at = 0;
    while ((at = doc.find('\n', at)) != std::string::npos) {
        const std::size_t begin = ++at;
        const std::string line = doc.substr(begin, doc.find('\r', begin) - begin);
        if (line.find("<IndexedTriangleSet ") != std::string::npos) {
            offset += count;
            count = 0;
        } else if (line.starts_with("          <v ")) {
            vertices += line + "\n";
            ++count;
        } else if (line.starts_with("          <t ")) {
            std::string rebased;
            for (auto it = std::sregex_iterator(line.begin(), line.end(), index);
                 it != std::sregex_iterator(); ++it) {
                rebased += std::to_string(std::stoll(it->str()) + offset) + " ";
            }
            triangles += rebased + "\n";
        }
    }
    return vertices + triangles;
}

// The scene line of one part's shape in the road's group.
std::string shapeLine(const std::string& name, int id, int material, const std::string& collision) {
    return "        <Shape name=\"" + name + "\" static=\"true\"" + collision +
           " clipDistance=\"500\" nodeId=\"" + std::to_string(id) + "\" materialIds=\"" +
           std::to_string(material) + "\" shapeId=\"" + std::to_string(id) +
           "\" receiveShadows=\"true\"/>";
}

struct ProfileCase {
    const char* name;
    void (*set)(ParameterSet&);
    std::string road, verges; // the collision attributes of each
    friend void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }
};

const ProfileCase kProfiles[] = {
    {"fs25", [](ParameterSet& p) { p.profil = "FS25"; },
     R"( collisionFilterGroup="0x601c" collisionFilterMask="0xfffffbff")", ""},
    {"fs25Bridge",
     [](ParameterSet& p) {
         p.profil = "fs25";
         p.bruecke = true;
     },
     R"( collisionFilterGroup="0x207c" collisionFilterMask="0xfffffbff")", ""},
    {"fs25Overrides",
     [](ParameterSet& p) {
         p.profil = "FS25";
         p.bruecke = true;
         p.kollisionsgruppe = "8000";
         p.kollisionsmaske = "0XFFFF";
     },
     R"( collisionFilterGroup="0x8000" collisionFilterMask="0xffff")", ""},
    {"fs25VergeCollision",
     [](ParameterSet& p) {
         p.profil = "FS25";
         p.randKollisionsgruppe = "0x2";
         p.randKollisionsmaske = " ff ";
     },
     R"( collisionFilterGroup="0x601c" collisionFilterMask="0xfffffbff")",
     R"( collisionFilterGroup="0x2" collisionFilterMask="0xff")"},
    {"fs22Masks",
     [](ParameterSet& p) {
         p.profil = "FS22";
         p.kollisionsmaske = "203002";
         p.randKollisionsmaske = "0x8";
     },
     R"( collisionMask="2109442")", R"( collisionMask="8")"},
};

class GameProfile : public ::testing::TestWithParam<ProfileCase> {};

// The road's group holds one shape per part, each with the collision of its kind; the mesh,
// the curves and the control points are the plain document's.
TEST_P(GameProfile, givesEachShapeTheCollisionOfItsKind) {
    const ProfileCase& c = GetParam();
    const Outcome plain = run(countryRoad());
    ParameterSet params = countryRoad();
    c.set(params);
    const Outcome game = run(params);
    ASSERT_TRUE(game.written);
    EXPECT_TRUE(game.messages.empty());
    EXPECT_EQ(game.log, plain.log);

    const int first = 21 + params.splines.count();
    const std::vector<std::string> expected = {
        shapeLine("Fahrbahn", first, 11, c.road),
        shapeLine("rechter Rand", first + 1, 12, c.verges),
        shapeLine("linker Rand", first + 2, 13, c.verges),
        shapeLine("Stirnfl\xE4" "che Anfang", first + 3, 14, c.verges),
        shapeLine("Stirnfl\xE4" "che Ende", first + 4, 14, c.verges),
    };
    EXPECT_EQ(linesWith(game.document, " static=\"true\""), expected);
    EXPECT_NE(game.document.find(crlf("       <TransformGroup name=\"Landstrasse\" nodeId=\"1\">\n" +
                                      expected[0] + "\n")),
              std::string::npos);
    EXPECT_NE(game.document.find(crlf(expected[4] + "\n        <TransformGroup name=\"SplinePkt1\"")),
              std::string::npos);
    EXPECT_EQ(linesWith(game.document, "<IndexedTriangleSet name=\"Fahrbahn\" shapeId=\"" +
                                           std::to_string(first) + "\"")
                  .size(),
              1u);
    EXPECT_EQ(meshLines(game.document), meshLines(plain.document));
    EXPECT_EQ(linesWith(game.document, "<cv "), linesWith(plain.document, "<cv "));
    EXPECT_EQ(linesWith(game.document, "SplinePkt"), linesWith(plain.document, "SplinePkt"));
    EXPECT_EQ(linesWith(game.document, "<Subset ").size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(CountryRoad, GameProfile, ::testing::ValuesIn(kProfiles),
                         [](const auto& p) { return std::string(p.param.name); });

// What a profile does not write leaves the document as it always was, and the run says so
// where the user gave a value that goes nowhere.
TEST(GameProfile, withoutCollisionToWriteLeavesTheDocumentAsItWas) {
    const Outcome plain = run(countryRoad());
    struct Case {
        void (*set)(ParameterSet&);
        std::vector<std::string> notes;
    };
    const Case cases[] = {
        {[](ParameterSet& p) { p.profil = "FS22"; }, {}},
        {[](ParameterSet& p) {
             p.profil = "FS22";
             p.kollisionsgruppe = "0x601c";
             p.bruecke = true;
         },
         {"Spiel: FS22 kennt keine Kollisionsgruppe – nur die Kollisionsmasken werden geschrieben",
          "Spiel: FS22 hat keine Brückenvorgabe"}},
        {[](ParameterSet& p) {
             p.kollisionsgruppe = "0x601c";
             p.randKollisionsmaske = "nonsense"; // not read without a profile
         },
         {"Spiel: ohne Profil keine Kollision – Kollisionswerte und Brücke nicht geschrieben"}},
    };
    for (const Case& c : cases) {
        ParameterSet params = countryRoad();
        c.set(params);
        const Outcome o = run(params);
        ASSERT_TRUE(o.written);
        EXPECT_EQ(o.document, plain.document);
        std::vector<std::string> notes;
        for (const std::string& line : o.log) {
            if (std::find(plain.log.begin(), plain.log.end(), line) == plain.log.end()) {
                notes.push_back(line);
            }
        }
        EXPECT_EQ(notes, c.notes);
    }
}

TEST(GameProfile, aValueTheGameCannotTakeStopsTheRunNamingSectionAndKey) {
    const struct {
        void (*set)(ParameterSet&);
        const char* message;
    } cases[] = {
        {[](ParameterSet& p) { p.profil = "FS19"; },
         "[Spiel] Profil: 'FS19' kennt Trassolin nicht; erlaubt sind keins, FS25 und FS22"},
        {[](ParameterSet& p) {
             p.profil = "FS25";
             p.kollisionsmaske = "0x1FFFFFFFF";
         },
         "[Spiel] Kollisionsmaske: '0x1FFFFFFFF' ist keine Hexadezimalzahl von höchstens 8 "
         "Stellen, wie der Editor sie zeigt (etwa 0x601c)"},
        {[](ParameterSet& p) { p.sichtweite = "0"; },
         "[Spiel] Sichtweite: '0' nimmt das Spiel nicht an; erlaubt sind mehr als 0 bis "
         "1.000.000 m"},
        {[](ParameterSet& p) { p.abschnittslaenge = "5"; },
         "[Spiel] Abschnittslaenge: '5': 0 (ein Shape) oder mindestens 10 m"},
        {[](ParameterSet& p) { p.abschnittslaenge = "-250"; },
         "[Spiel] Abschnittslaenge: '-250': 0 (ein Shape) oder mindestens 10 m"},
        {[](ParameterSet& p) { p.sichtweite = "weit"; }, "'weit' ist kein gültiger Gleitkommawert"},
    };
    for (const auto& c : cases) {
        ParameterSet params = countryRoad();
        c.set(params);
        const Outcome o = run(params);
        EXPECT_FALSE(o.written) << c.message;
        ASSERT_EQ(o.messages.size(), 1u) << c.message;
        EXPECT_EQ(o.messages[0].text, c.message);
    }
    // A text that is no number names where it stood, as every field of a run does.
    ParameterSet params;
    params.sichtweite = "weit";
    try {
        readGameInputs(params, false, ',');
        ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.where.section, "Spiel");
        EXPECT_EQ(e.where.key, "Sichtweite");
    }
}

// Shapes the engine culls one by one: the road's group holds the chunks, each an
// IndexedTriangleSet of its own with one subset and its own bounds; the glTF has the same
// pieces.
TEST(GameShapes, chunksAreSiblingShapesInTheRoadsGroupInTheI3dAndTheGltf) {
    const Outcome plain = run(countryRoad());
    ParameterSet params = countryRoad();
    params.abschnittslaenge = "250";
    test::TempDir dir;
    const Outcome o = run(params, dir / "road.gltf");
    ASSERT_TRUE(o.written);
    const auto sets = linesWith(o.document, "<IndexedTriangleSet ");
    const auto shapes = linesWith(o.document, " static=\"true\"");
    ASSERT_EQ(sets.size(), shapes.size());
    EXPECT_GT(shapes.size(), 30u);
    EXPECT_EQ(linesWith(o.document, "<Subset ").size(), shapes.size());
    const std::regex name(R"re(name="([^"]*)")re");
    std::smatch m;
    std::set<std::string> names;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        ASSERT_TRUE(std::regex_search(shapes[k], m, name));
        names.insert(m[1]);
        EXPECT_NE(sets[k].find("name=\"" + std::string(m[1]) + "\""), std::string::npos) << k;
        EXPECT_NE(shapes[k].find(" nodeId=\"" + std::to_string(62 + k) + "\""), std::string::npos);
    }
    EXPECT_EQ(names.size(), shapes.size());
    for (const char* piece : {"Fahrbahn 1", "rechter Rand 1", "linker Rand 10", "Fahrbahn 10",
                              "Stirnfl\xE4" "che Anfang 1", "Stirnfl\xE4" "che Ende 10"}) {
        EXPECT_TRUE(names.contains(piece)) << piece;
    }
    EXPECT_FALSE(names.contains("Fahrbahn 11"));
    // The same triangles: only the seams' vertices are there twice.
    EXPECT_EQ(linesWith(o.document, "          <t ").size(),
              linesWith(plain.document, "          <t ").size());
    EXPECT_GT(linesWith(o.document, "          <v ").size(),
              linesWith(plain.document, "          <v ").size());
    for (const std::string& radius : linesWith(o.document, "bvRadius=\"")) {
        EXPECT_LT(std::stod(radius.substr(radius.find("bvRadius=\"") + 10)), 160.0) << radius;
    }
    EXPECT_NE(std::find(o.log.begin(), o.log.end(), "Abschnitte: 10 zu je 250 m, 32 Shapes"),
              o.log.end());
    const std::string gltf = test::readFile(dir / "road.gltf");
    for (const std::string& piece : names) {
        if (piece.find('\xE4') != std::string::npos) continue; // UTF-8 in the glTF
        EXPECT_NE(gltf.find("{\"name\":\"" + piece + "\",\"mesh\":"), std::string::npos) << piece;
    }
}

TEST(GameShapes, clipDistanceShadowsAndNormalMapsChangeOnlyTheirLines) {
    const Outcome plain = run(countryRoad());
    ParameterSet params = countryRoad();
    params.sichtweite = "350,5";
    params.schattenWerfen = true;
    params.normalmaps = true;
    const Outcome o = run(params);
    ASSERT_TRUE(o.written);
    EXPECT_EQ(meshLines(o.document), meshLines(plain.document));
    // One shape as before, its subsets the parts.
    EXPECT_EQ(linesWith(o.document, " static=\"true\""),
              std::vector<std::string>{
                  "       <Shape name=\"Landstrasse\" static=\"true\" clipDistance=\"350.5\" "
                  "nodeId=\"1\" materialIds=\"11, 12, 13, 14, 14\" shapeId=\"1\" "
                  "castsShadows=\"true\" receiveShadows=\"true\">"});
    const std::string head = o.document.substr(0, o.document.find("  <Shapes>"));
    EXPECT_NE(head.find(crlf(R"(    <File fileId="4" filename="earth_diffuse.dds" relativePath="true"/>
    <File fileId="5" filename="asphalt_normal.dds" relativePath="true"/>
    <File fileId="6" filename="verge_normal.dds" relativePath="true"/>
    <File fileId="7" filename="verge_normal.dds" relativePath="true"/>
    <File fileId="8" filename="earth_normal.dds" relativePath="true"/>
    <File fileId="9" filename="asphalt_specular.dds" relativePath="true"/>
)")),
              std::string::npos)
        << head;
    EXPECT_NE(head.find(crlf(R"(    <Material name="road_diffuse" materialId="11" ambientColor="1 1 1">
      <Texture fileId="1"/>
      <Glossmap fileId="9"/>
      <Normalmap fileId="5"/>
    </Material>
)")),
              std::string::npos)
        << head;
}

TEST(TextureVariant, replacesTheLastDiffuseOfTheNameOrAddsTheSuffix) {
    const struct {
        const char *texture, *normal;
    } cases[] = {{"asphalt_diffuse.dds", "asphalt_normal.dds"},
                 {"a_diffuse_b_diffuse.dds", "a_diffuse_b_normal.dds"},
                 {"kies.dds", "kies_normal.dds"},
                 {"bitte eingeben", "bitte eingeben_normal"},
                 {"maps/road_diffuse/kies.dds", "maps/road_diffuse/kies_normal.dds"},
                 {"maps.v2\\kies", "maps.v2\\kies_normal"},
                 {"textures/asphalt_diffuse", "textures/asphalt_normal"}};
    for (const auto& c : cases) EXPECT_EQ(textureVariant(c.texture, "_normal"), c.normal);
}

// The game reads the AI road's limits from the node with onCreate only, isAISpline from the
// curves below it: whatever else is on, that node is the road's AI group, and no curve
// carries a limit.
std::string userAttributeOf(const std::string& doc, const std::string& attribute) {
    const std::regex block(R"re(<UserAttribute nodeId="(\d+)">([^]*?)</UserAttribute>)re");
    std::string ids;
    for (auto it = std::sregex_iterator(doc.begin(), doc.end(), block); it != std::sregex_iterator();
         ++it) {
        if ((*it)[2].str().find("name=\"" + attribute + "\"") != std::string::npos) {
            ids += (ids.empty() ? "" : ",") + (*it)[1].str();
        }
    }
    return ids;
}

// Every combination of the game's options on the country road: a document that is well formed
// and, with the current generation's collision filters taken out (neither schema knows them
// yet), valid against both published schemas. The AI road's limits sit on its group alone.
TEST(GameShapes, everyCombinationFollowsBothSchemas) {
    test::TempDir dir;
    std::vector<std::filesystem::path> files;
    int n = 0;
    for (const char* profile : {"keins", "FS25", "FS22"}) {
        for (int options = 0; options < 32; ++options) {
            ParameterSet p = countryRoad();
            p.profil = profile;
            p.bruecke = options & 1;
            p.kollisionsmaske = p.randKollisionsmaske = (options & 2) ? "0x10" : "";
            p.randKollisionsgruppe = (options & 2) ? "0x4" : "";
            p.normalmaps = options & 4;
            p.schattenWerfen = p.transformGroup = options & 8;
            p.abschnittslaenge = (options & 16) ? "300" : "0";
            p.kiStrassenspline = p.verkehrsspline = (options & 3) != 0;
            p.maxWenderadius = p.maxHoehe = "8";
            const Outcome o = run(p);
            ASSERT_TRUE(o.written) << profile << " " << options;
            if (p.kiStrassenspline) {
                EXPECT_EQ(userAttributeOf(o.document, "onCreate"), "10");
                EXPECT_EQ(userAttributeOf(o.document, "maxWidth"), "10");
                EXPECT_EQ(userAttributeOf(o.document, "maxTurningRadius"), "10");
                EXPECT_EQ(userAttributeOf(o.document, "maxHeight"),
                          std::string(profile) == "FS25" ? "10" : "");
                EXPECT_EQ(userAttributeOf(o.document, "isAISpline"), "11,12,13");
                EXPECT_NE(o.document.find("<TransformGroup name=\"Landstrasse_AI\" nodeId=\"10\">"),
                          std::string::npos);
            } else {
                EXPECT_EQ(userAttributeOf(o.document, "maxWidth"), "");
            }
            std::string document = test::withoutEditorAttributes(o.document);
            for (const std::string attribute : {" collisionFilterGroup=\"", " collisionFilterMask=\""}) {
                for (auto at = document.find(attribute); at != std::string::npos;
                     at = document.find(attribute)) {
                    document.erase(at, document.find('"', at + attribute.size()) + 1 - at);
                }
            }
            files.push_back(dir / ("doc" + std::to_string(n++) + ".i3d"));
            test::writeFile(files.back(), document);
        }
    }
    if (!test::xmllintAvailable()) GTEST_SKIP() << "xmllint is not installed";
    for (const auto& schema : {test::i3dSchema(), test::currentI3dSchema()}) {
        if (!std::filesystem::exists(schema)) GTEST_SKIP() << schema << " is not available";
        std::string arguments = "--noout --schema '" + schema.string() + "'";
        for (std::size_t k = 0; k + 1 < files.size(); ++k) {
            const std::string file = files[k].string();
            if (schema == test::currentI3dSchema()) {
                test::writeFile(files[k], test::withoutAttributesUnknownToTheCurrentSchema(
                                              test::readFile(files[k])));
            }
            arguments += " '" + file + "'";
        }
        if (schema == test::currentI3dSchema()) {
            test::writeFile(files.back(), test::withoutAttributesUnknownToTheCurrentSchema(
                                              test::readFile(files.back())));
        }
        std::string log;
        EXPECT_EQ(test::xmllint(arguments, files.back(), log), 0) << schema << "\n" << log;
    }
}

} // namespace
} // namespace trassolin
