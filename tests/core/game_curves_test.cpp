// The traffic curves as the game takes them, on the country road of the examples: the opposite
// lane reversed, the AI road group and the curves' user attributes.
#include "generation/random_sequence.h"
#include "generation/run.h"
#include "settings/parameter_file.h"
#include "settings/parameter_set.h"
#include "support/road_runs.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <ostream>
#include <regex>
#include <set>
#include <utility>
#include <string>
#include <vector>

namespace trassolin {
namespace {

using test::crlf;

using Outcome = test::RunOutcome;

struct Options {
    bool reverse = false, ai = false, traffic = false;
};

ParameterSet countryRoad(const Options& o) {
    ParameterSet p;
    CollectingMessageSink messages;
    loadParameterFile(test::examplesDir() / "landstrasse.ini", p, messages);
    p.trafficMitte = p.trafficRechts = p.trafficLinks = true;
    p.gegenspurUmkehren = o.reverse;
    p.kiStrassenspline = o.ai;
    p.verkehrsspline = o.traffic;
    p.tempo = "80";
    p.tempoFaktor = "0,8";
    return p;
}

Outcome run(ParameterSet params) { return test::runOf(std::move(params)); }

// The text from `open` up to and including `close`; empty when `open` is absent.
std::string between(const std::string& doc, const std::string& open, const std::string& close) {
    const auto start = doc.find(open);
    if (start == std::string::npos) return {};
    const auto end = doc.find(close, start);
    return doc.substr(start, end == std::string::npos ? std::string::npos
                                                       : end + close.size() - start);
}

std::vector<std::vector<double>> controlVertices(const std::string& doc, const std::string& name) {
    return test::attributeNumbers(between(doc, "<NurbsCurve name=\"" + name + "\"", "</NurbsCurve>"),
                                  "c");
}

std::set<std::string> nodeIds(const std::string& text) {
    std::set<std::string> ids;
    const std::regex id(R"re(nodeId="(\d+)")re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), id); it != std::sregex_iterator();
         ++it) {
        ids.insert((*it)[1]);
    }
    return ids;
}

struct GameCase {
    const char* name;
    Options options;
    std::string userAttributes; // the whole block, empty when the document has none
    friend void PrintTo(const GameCase& c, std::ostream* os) { *os << c.name; }
};

std::string curveAttributes(const char* id, const char* lines) {
    return std::string("    <UserAttribute nodeId=\"") + id + "\">\n" + lines +
           "    </UserAttribute>\n";
}

// The group with onCreate carries the road's width: the game reads maxWidth nowhere else.
const std::string kAiGroupAttribute = curveAttributes(
    "10", "      <Attribute name=\"maxWidth\" type=\"float\" value=\"6.5\"/>\n"
          "      <Attribute name=\"onCreate\" type=\"scriptCallback\" "
          "value=\"AISystem.onCreateAIRoadSpline\"/>\n");
const char* kSpeedScale = "      <Attribute name=\"maxSpeedScale\" type=\"float\" value=\"0.8\"/>\n";
const char* kSpeedLimit = "      <Attribute name=\"speedLimit\" type=\"float\" value=\"80\"/>\n";
const char* kAiSpline = "      <Attribute name=\"isAISpline\" type=\"boolean\" value=\"true\"/>\n";

std::string block(const std::string& entries) {
    return "  <UserAttributes>\n" + entries + "  </UserAttributes>\n";
}

const std::string kTrafficEntry = std::string(kSpeedScale) + kSpeedLimit;

const GameCase kCases[] = {
    {"laneDirection", {true, false, false}, ""},
    {"aiRoad",
     {false, true, false},
     block(kAiGroupAttribute + curveAttributes("11", kAiSpline) +
           curveAttributes("12", kAiSpline) + curveAttributes("13", kAiSpline))},
    {"trafficAttributes",
     {false, false, true},
     block(curveAttributes("11", kTrafficEntry.c_str()) +
           curveAttributes("12", kTrafficEntry.c_str()) +
           curveAttributes("13", kTrafficEntry.c_str()))},
    {"everything",
     {true, true, true},
     block(kAiGroupAttribute +
           curveAttributes("11", (std::string(kAiSpline) + kSpeedScale + kSpeedLimit).c_str()) +
           curveAttributes("12", (std::string(kAiSpline) + kSpeedScale + kSpeedLimit).c_str()) +
           curveAttributes("13", (std::string(kAiSpline) + kSpeedScale + kSpeedLimit).c_str()))},
};

class GameCurves : public ::testing::TestWithParam<GameCase> {};

TEST_P(GameCurves, changeOnlyWhatTheirOptionIsFor) {
    const GameCase& c = GetParam();
    const Outcome plain = run(countryRoad({}));
    const Outcome game = run(countryRoad(c.options));
    ASSERT_TRUE(plain.written);
    ASSERT_TRUE(game.written);
    EXPECT_EQ(game.log, plain.log);
    EXPECT_TRUE(game.messages.empty());

    // The mesh and the curves before the left one are untouched.
    const auto leftCurve = plain.document.find("    <NurbsCurve name=\"splineLinks\"");
    ASSERT_NE(leftCurve, std::string::npos);
    EXPECT_EQ(game.document.substr(0, leftCurve), plain.document.substr(0, leftCurve));
    EXPECT_EQ(between(game.document, "      </NurbsCurve>", "    <Scene>"),
              between(plain.document, "      </NurbsCurve>", "    <Scene>"));
    EXPECT_EQ(controlVertices(game.document, "splineMitte"),
              controlVertices(plain.document, "splineMitte"));
    EXPECT_EQ(controlVertices(game.document, "splineRechts"),
              controlVertices(plain.document, "splineRechts"));

    // The left lane is driven from the road's end to its start.
    const auto plainLeft = controlVertices(plain.document, "splineLinks");
    const auto gameLeft = controlVertices(game.document, "splineLinks");
    ASSERT_GT(plainLeft.size(), 4u);
    ASSERT_EQ(gameLeft.size(), plainLeft.size());
    if (c.options.reverse) {
        EXPECT_EQ(gameLeft.front(), plainLeft.back());
        EXPECT_EQ(gameLeft.back(), plainLeft.front());
        EXPECT_TRUE(std::equal(gameLeft.begin(), gameLeft.end(), plainLeft.rbegin()));
    } else {
        EXPECT_EQ(gameLeft, plainLeft);
    }

    std::string curvesInScene;
    const std::string indent(c.options.ai ? 8 : 7, ' ');
    for (const auto& [name, id] : {std::pair{"splineMitte", "11"}, {"splineRechts", "12"},
                                   {"splineLinks", "13"}}) {
        curvesInScene += indent + "<Shape name=\"" + name + "\" translation=\"0 0 0\" nodeId=\"" +
                         id + "\" shapeId=\"" + id + "\"/>\n";
    }
    if (c.options.ai) {
        curvesInScene = "       <TransformGroup name=\"Landstrasse_AI\" nodeId=\"10\">\n" +
                        curvesInScene + "       </TransformGroup>\n";
    }
    EXPECT_NE(game.document.find(crlf("    <Scene>\n" + curvesInScene +
                                      "       <Shape name=\"Landstrasse\"")),
              std::string::npos);

    const std::string attributes =
        between(game.document, "  <UserAttributes>", "  </UserAttributes>\r\n");
    EXPECT_EQ(attributes, crlf(c.userAttributes));
    if (!attributes.empty()) {
        EXPECT_TRUE(game.document.ends_with(crlf("    </Scene>\n\n" + c.userAttributes + "\n</i3D>\n")));
        const std::set<std::string> inScene =
            nodeIds(between(game.document, "    <Scene>", "    </Scene>"));
        for (const std::string& id : nodeIds(attributes)) EXPECT_TRUE(inScene.contains(id)) << id;
    } else {
        EXPECT_TRUE(game.document.ends_with(crlf("    </Scene>\n</i3D>\n")));
    }
}

TEST_P(GameCurves, giveADocumentThatFollowsBothSchemas) {
    if (!test::xmllintAvailable()) GTEST_SKIP() << "xmllint is not installed";
    const Outcome game = run(countryRoad(GetParam().options));
    ASSERT_TRUE(game.written);
    test::TempDir dir;
    std::string log;
    const struct {
        std::filesystem::path schema;
        std::string document;
    } checks[] = {{test::i3dSchema(), test::withoutEditorAttributes(game.document)},
                  {test::currentI3dSchema(),
                   test::withoutAttributesUnknownToTheCurrentSchema(game.document)}};
    for (const auto& [schema, document] : checks) {
        if (!std::filesystem::exists(schema)) GTEST_SKIP() << schema << " is not available";
        test::writeFile(dir / "doc.i3d", document);
        EXPECT_EQ(test::xmllint("--noout --schema '" + schema.string() + "'", dir / "doc.i3d", log),
                  0)
            << schema << "\n"
            << log;
    }
}

INSTANTIATE_TEST_SUITE_P(CountryRoad, GameCurves, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// The example's document as it has always been written (the golden fingerprint).
constexpr const char* kCountryRoadSha256 =
    "4f718342a7b8e619354402ff2eb81449dc6e83d7e07b7f7a651f1db9b33fb8c7";

TEST(GameCurves, allOffLeaveTheDocumentByteForByteWhateverTheirFieldsHold) {
    ParameterSet params;
    CollectingMessageSink messages;
    loadParameterFile(test::examplesDir() / "landstrasse.ini", params, messages);
    params.tempo = "schnell"; // read only while the traffic attributes are on
    params.tempoFaktor = "";
    const Outcome o = run(params);
    ASSERT_TRUE(o.written);
    EXPECT_EQ(test::sha256Hex(o.document), kCountryRoadSha256);
}

TEST(GameCurves, needACurveToAppearAtAll) {
    ParameterSet params = countryRoad({true, true, true});
    params.trafficMitte = params.trafficRechts = params.trafficLinks = false;
    ParameterSet plain = countryRoad({});
    plain.trafficMitte = plain.trafficRechts = plain.trafficLinks = false;
    EXPECT_EQ(run(params).document, run(plain).document);
}

// The AI road's limits on its group: maxWidth the road's width unless MaxBreite is given, the
// others only when given, maxHeight only for the generation that reads it.
TEST(AiRoadLimits, areWhatTheFieldsSayOnTheGroupAlone) {
    struct Case {
        const char *breite, *maxBreite, *maxWenderadius, *maxHoehe, *profil;
        std::string group; // the attributes of node 10 before onCreate
    };
    const auto attribute = [](const char* name, const char* value) {
        return std::string("      <Attribute name=\"") + name + "\" type=\"float\" value=\"" +
               value + "\"/>\n";
    };
    const Case cases[] = {
        {"6,5", "", "", "", "keins", attribute("maxWidth", "6.5")},
        {"-7", "", "", "", "keins", attribute("maxWidth", "7")},
        {"6,5", "3,5", "", "", "keins", attribute("maxWidth", "3.5")},
        {"6,5", "", "12", "", "FS22",
         attribute("maxTurningRadius", "12") + attribute("maxWidth", "6.5")},
        {"6,5", "", "", "4", "FS22", attribute("maxWidth", "6.5")},
        {"6,5", "", "", "4", "FS25", attribute("maxHeight", "4") + attribute("maxWidth", "6.5")},
    };
    for (const Case& c : cases) {
        ParameterSet p = countryRoad({false, true, false});
        p.breite = c.breite;
        p.maxBreite = c.maxBreite;
        p.maxWenderadius = c.maxWenderadius;
        p.maxHoehe = c.maxHoehe;
        p.profil = c.profil;
        const Outcome o = run(p);
        ASSERT_TRUE(o.written) << c.profil;
        EXPECT_EQ(between(o.document, "    <UserAttribute nodeId=\"10\">", "    </UserAttribute>"),
                  crlf("    <UserAttribute nodeId=\"10\">\n" + c.group +
                       "      <Attribute name=\"onCreate\" type=\"scriptCallback\" "
                       "value=\"AISystem.onCreateAIRoadSpline\"/>\n    </UserAttribute>"))
            << c.breite << " " << c.maxBreite << " " << c.maxHoehe << " " << c.profil;
        // What is not written is said.
        const bool heightDropped = std::string(c.maxHoehe) != "" && std::string(c.profil) != "FS25";
        EXPECT_EQ(std::count(o.log.begin(), o.log.end(),
                             "KI: maxHeight liest nur FS25 – MaxHoehe nicht geschrieben"),
                  heightDropped ? 1 : 0);
    }
}

TEST(AiRoadLimits, thatTheGameCannotTakeStopTheRunNamingTheKey) {
    for (const auto& [key, text] : {std::pair{"MaxBreite", "0"}, {"MaxWenderadius", "-3"},
                                    {"MaxHoehe", "101"}}) {
        ParameterSet p = countryRoad({false, true, false});
        p.profil = "FS25";
        (std::string(key) == "MaxBreite" ? p.maxBreite
         : std::string(key) == "MaxWenderadius" ? p.maxWenderadius
                                                 : p.maxHoehe) = text;
        const Outcome o = run(p);
        EXPECT_FALSE(o.written) << key;
        ASSERT_EQ(o.messages.size(), 1u) << key;
        EXPECT_TRUE(o.messages[0].text.starts_with(std::string("[KI] ") + key + ": '" + text +
                                                   "' nimmt das Spiel nicht an"))
            << o.messages[0].text;
    }
    // Read only while the group is written: without it they may hold anything.
    ParameterSet p = countryRoad({});
    p.maxBreite = "breit";
    EXPECT_TRUE(run(p).written);
}

} // namespace
} // namespace trassolin
