#include "generation/random_sequence.h"
#include "generation/run.h"
#include "settings/parameter_file.h"
#include "settings/parameter_set.h"
#include "support/test_support.h"
#include "uGlobal/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

namespace trassolin {
namespace {

using test::crlf;
using test::readFile;
using test::TempDir;
using test::writeFile;

// A straight, flat road from (0,0,0) to (0,0,length) in the start-up state of the window.
ParameterSet straightRoad(double length) {
    ParameterSet p;
    p.splines.get(1)->Z = length;
    return p;
}

struct RunOutcome {
    bool written = false;
    std::string document; // the output file after the run, if there is one
    std::vector<std::string> log;
    std::vector<Message> messages;
    std::vector<std::string> files; // what the output folder holds after the run
};

// Runs into a fresh folder, over a document `previous` when one is given.
RunOutcome run(ParameterSet& params, RandomSequence& random, char separator = ',',
               const char* previous = nullptr, const std::string& name = "road.i3d") {
    TempDir dir;
    const auto out = dir / name;
    if (previous != nullptr) writeFile(out, previous);
    CollectingMessageSink messages;
    CollectingStatusLog log;
    RunOutcome o;
    o.written = runGeneration(params, out, messages, log, random, separator);
    if (std::filesystem::exists(out)) o.document = readFile(out);
    o.log = log.lines;
    o.messages = messages.messages;
    o.files = test::entryNames(dir.path());
    return o;
}

RunOutcome run(ParameterSet& params) {
    RandomSequence random;
    return run(params, random);
}

struct Vertex {
    double x, y, z, u, v;
};

// The vertex and triangle lines of a document, parsed back for checks on the mesh.
std::vector<Vertex> vertices(const std::string& doc) {
    const auto p = test::attributeNumbers(doc, "p");
    const auto t = test::attributeNumbers(doc, "t0");
    std::vector<Vertex> out;
    for (std::size_t k = 0; k < p.size() && k < t.size(); ++k) {
        out.push_back({p[k][0], p[k][1], p[k][2], t[k][0], t[k][1]});
    }
    return out;
}

std::vector<std::string> triangles(const std::string& doc) {
    std::vector<std::string> out;
    const std::string key = "<t vi=\"";
    for (auto at = doc.find(key); at != std::string::npos; at = doc.find(key, at + 1)) {
        const auto start = at + key.size();
        out.push_back(doc.substr(start, doc.find('"', start) - start));
    }
    return out;
}

TEST(GenerationRun, straightTenMetreRoadGivesTheDocumentWorkedOutByHand) {
    auto params = straightRoad(10);
    const auto o = run(params);
    ASSERT_TRUE(o.written);
    EXPECT_TRUE(o.messages.empty());
    EXPECT_EQ(o.document, crlf(R"(<?xml version="1.0" encoding="iso-8859-1"?>
<i3D name="Trassolin" version="1.6" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:noNamespaceSchemaLocation="http://i3d.giants.ch/schema/i3d-1.6.xsd">
  <Asset>
  </Asset>

  <Files>
    <File fileId="1" filename="road_diffuse.dds" relativePath="true"/>
  </Files>

  <Materials>
    <Material name="road_diffuse" materialId="11" ambientColor="1 1 1">
      <Texture fileId="1"/>
    </Material>
  </Materials>

  <Shapes>
     <IndexedTriangleSet name="Road" shapeId="1" bvCenter="0.0000 0.0000 5.0000" bvRadius="6.1033" isOptimized="true">
        <Vertices count="4" normal="true" uv0="true" tangent="true">
          <v p="-3.5000 0.0000 0.0000" n="0.0000 1.0000 0.0000" t0="1.0000 -7.0000" />
          <v p="3.5000 0.0000 0.0000" n="0.0000 1.0000 0.0000" t0="0.0000 -7.0000" />
          <v p="-3.5000 0.0000 10.0000" n="0.0000 1.0000 0.0000" t0="1.0000 -6.5000" />
          <v p="3.5000 0.0000 10.0000" n="0.0000 1.0000 0.0000" t0="0.0000 -6.5000" />
        </Vertices>
        <Triangles count="2">
          <t vi="1 0 2" />
          <t vi="1 2 3" />
        </Triangles>
        <Subsets count="1">
          <Subset firstVertex="0" numVertices="4" firstIndex="0" numIndices="6"/>
        </Subsets>
      </IndexedTriangleSet>
  </Shapes>

  <Dynamics>
  </Dynamics>

    <Scene>
       <Shape name="Strasse" static="true" clipDistance="500" nodeId="1" materialIds="11" shapeId="1" receiveShadows="true">
        <TransformGroup name="SplinePkt1" translation="0.0000 0.0000 0.0000" rotation="0.0000 0.0000 0.0000" nodeId="21"/>
        <TransformGroup name="SplinePkt2" translation="0.0000 0.0000 10.0000" rotation="0.0000 0.0000 0.0000" nodeId="22"/>
      </Shape>
    </Scene>
</i3D>
)"));
}

TEST(GenerationRun, reportsEveryPhaseInTheStatusLogInTheFixedForm) {
    auto params = straightRoad(10);
    const auto o = run(params);
    const std::vector<std::string> expected = {
        "Geometrie: Breite = 7.0000  --  Schleppkurve = 0.0000",
        "Textur: Länge = 20.0000 - Start = 0.0000 - Ende = 1.0000",
        "TexturStart = -7.0000",
        "Spline  1-2: Fahrbahnlänge = 10.0000 m  --  mittlere Steigung = 0.0000°  --  "
        "minimale Steigung = 0.0000°   -  maximale Steigung = 0.0000°",
        "Gesamt-Fahrbahnlänge = 10.0000 m",
        "Textur: Längenkoordinate am Ende = -6.5000",
        "Textur: Längenkoordinate für die nächste Straße = 0.5000",
        "Fahrbahn: 4 Vertices, 2 triangles",
    };
    EXPECT_EQ(o.log, expected);
}

TEST(GenerationRun, handsTheNextStartCoordinateBackInTheGeneralForm) {
    for (char sep : {',', '.'}) {
        auto params = straightRoad(10);
        params.texL0 = "0";
        RandomSequence random;
        ASSERT_TRUE(run(params, random, sep).written);
        EXPECT_EQ(params.texL0, sep == ',' ? "0,5" : "0.5");
        EXPECT_EQ(params.previousTexL0, 0.0);
        // The next road continues where this one ended.
        ASSERT_TRUE(run(params, random, sep).written);
        EXPECT_EQ(params.texL0, "0");
        EXPECT_EQ(params.previousTexL0, 0.5);
    }
}

TEST(GenerationRun, shortTextureTakesASampleBeyondOneAndThreeQuarterRepeats) {
    auto params = straightRoad(10);
    params.texturLaenge = "2";
    const auto o = run(params);
    ASSERT_TRUE(o.written);
    const auto v = vertices(o.document);
    ASSERT_EQ(v.size(), 6u);
    // right 0, left 0, right 8, left 16, right 21, left 21 of 21 candidate steps
    const double zs[] = {0, 0, 80.0 / 21, 160.0 / 21, 10, 10};
    const double xs[] = {-3.5, 3.5, -3.5, 3.5, -3.5, 3.5};
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_NEAR(v[k].z, zs[k], 5e-5) << k;
        EXPECT_NEAR(v[k].x, xs[k], 5e-5) << k;
    }
    EXPECT_NEAR(v[2].v, -7 + 80.0 / 21 / 2, 5e-5);
    EXPECT_NEAR(v[5].v, -2.0, 5e-5);
    EXPECT_EQ(triangles(o.document),
              (std::vector<std::string>{"1 0 2", "1 2 3", "3 2 4", "3 4 5"}));
}

TEST(GenerationRun, symmetricTrianglesMakeEverySampleAFullCrossSection) {
    auto params = straightRoad(10);
    params.texturLaenge = "2";
    params.preferences.dreieckeSym = true; // spacing limit 3.5 repeats: samples 0, 15, 21
    const auto o = run(params);
    const auto v = vertices(o.document);
    ASSERT_EQ(v.size(), 6u);
    EXPECT_NEAR(v[2].z, 150.0 / 21, 5e-5);
    EXPECT_NEAR(v[3].z, 150.0 / 21, 5e-5);
    EXPECT_EQ(v[2].v, v[3].v);
    EXPECT_EQ(triangles(o.document),
              (std::vector<std::string>{"1 0 2", "1 2 3", "3 2 4", "3 4 5"}));
}

// V of the right border vertices along a long straight road with a 10 m texture.
std::vector<double> rightBorderV(const std::string& doc) {
    std::vector<double> out;
    for (const auto& v : vertices(doc)) {
        if (v.x < 0) out.push_back(v.v);
    }
    return out;
}

TEST(GenerationRun, mirrorsTheTextureDirectionAtTheTopOfTheBand) {
    auto params = straightRoad(150);
    params.texturLaenge = "10";
    const auto o = run(params);
    ASSERT_TRUE(o.written);
    const auto vs = rightBorderV(o.document);
    const auto top = std::max_element(vs.begin(), vs.end()) - vs.begin();
    EXPECT_GE(vs[top], 3.5);
    EXPECT_LT(vs[top], 3.5 + 1.8); // passes the band by less than one sample's increment
    for (auto k = 1; k <= top; ++k) EXPECT_GT(vs[k], vs[k - 1]);
    for (auto k = top + 1; k < static_cast<long>(vs.size()); ++k) EXPECT_LT(vs[k], vs[k - 1]);
}

TEST(GenerationRun, resetDuplicatesTheSeamVerticesWithTheShiftedCoordinate) {
    auto params = straightRoad(150);
    params.texturLaenge = "10";
    params.ruecksetzen = true;
    const auto o = run(params);
    ASSERT_TRUE(o.written);
    const auto v = vertices(o.document);
    const auto tris = triangles(o.document);
    // Find the first pair of vertices that repeats the two before it at the same place.
    std::size_t seam = 0;
    for (std::size_t k = 2; k + 1 < v.size() && seam == 0; ++k) {
        if (v[k].x == v[k - 2].x && v[k].z == v[k - 2].z && v[k + 1].z == v[k - 1].z &&
            v[k].z == v[k + 1].z) {
            seam = k;
        }
    }
    ASSERT_NE(seam, 0u);
    const double before = v[seam - 1].v;
    EXPECT_GE(before, 3.5);
    EXPECT_NEAR(v[seam].v, before - 7 - std::trunc(before), 1e-4);
    EXPECT_EQ(v[seam].v, v[seam + 1].v);
    // No triangle uses both a seam vertex and the vertex it duplicates.
    const auto a = std::to_string(seam);
    for (const auto& t : tris) {
        const bool usesSeam = (" " + t + " ").find(" " + a + " ") != std::string::npos;
        const bool usesOriginal =
            (" " + t + " ").find(" " + std::to_string(seam - 1) + " ") != std::string::npos;
        EXPECT_FALSE(usesSeam && usesOriginal) << t;
    }
    // Every V stays within the band plus one sample's increment.
    for (const auto& x : v) {
        EXPECT_GE(x.v, -7.0);
        EXPECT_LT(x.v, 3.5 + 1.8);
    }
}

TEST(GenerationRun, randomMirroringDrawsOncePerCandidateAndRepeatsAfterARestart) {
    auto params = straightRoad(10);
    params.rueckfaltung = true;
    params.rueckfaltungP = "0";
    RandomSequence random;
    ASSERT_TRUE(run(params, random).written);
    RandomSequence reference;
    for (int k = 0; k < 22; ++k) reference.next(); // 21 steps: 22 candidates
    EXPECT_EQ(random.state(), reference.state());

    auto p1 = straightRoad(40);
    auto p2 = straightRoad(40);
    for (auto* p : {&p1, &p2}) {
        p->rueckfaltung = true;
        p->rueckfaltungP = "0,05";
    }
    RandomSequence r1, r2;
    const auto first = run(p1, r1), second = run(p2, r2);
    EXPECT_EQ(first.document, second.document);
    // With random mirroring the road starts at TexL0 itself, not 7 repeats below it.
    EXPECT_EQ(vertices(first.document).front().v, 0.0);
}

TEST(GenerationRun, randomMirroringFollowsTheFirstDrawsOfTheSequence) {
    // The first draws after program start are 2.3e-10, 0.0314, 0.861, ... ; below 0.075 lie
    // those of candidates 0 (never mirrors), 1, 12 and 14.
    auto params = straightRoad(10);
    params.rueckfaltung = true;
    params.rueckfaltungP = "0,075";
    const auto o = run(params);
    ASSERT_TRUE(o.written);
    const auto v = vertices(o.document);
    ASSERT_EQ(v.size(), 10u); // five full cross-sections
    const double step = 10.0 / 21;
    const double z[] = {0, step, 12 * step, 14 * step, 10};
    // V turns at every mirror: +1, -11, +2, -7 candidate steps of 1/42 repeat each.
    const double V[] = {0, 1.0 / 42, -10.0 / 42, -8.0 / 42, -15.0 / 42};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_NEAR(v[2 * k].z, z[k], 5e-5) << k;
        EXPECT_NEAR(v[2 * k].v, V[k], 5e-5) << k;
        EXPECT_EQ(v[2 * k + 1].v, v[2 * k].v) << k;
    }
    EXPECT_EQ(triangles(o.document).size(), 8u);
    EXPECT_EQ(params.texL0, "0,642857142857143");
}

TEST(GenerationRun, probabilityOneMirrorsAtEveryCandidateButTheFirst) {
    auto params = straightRoad(10);
    params.rueckfaltung = true;
    params.rueckfaltungP = "1";
    const auto o = run(params);
    // 22 candidates, each a full cross-section: 44 vertices, 42 triangles
    EXPECT_EQ(vertices(o.document).size(), 44u);
    EXPECT_EQ(triangles(o.document).size(), 42u);
}

TEST(GenerationRun, roadSwitchedOffStillSamplesThePathButWritesNoMesh) {
    auto params = straightRoad(10);
    params.fahrbahnErzeugen = false;
    params.texL0 = "0,25";
    params.trafficMitte = true;
    const auto o = run(params);
    ASSERT_TRUE(o.written);
    EXPECT_EQ(o.document.find("IndexedTriangleSet"), std::string::npos);
    EXPECT_NE(o.document.find("<NurbsCurve name=\"splineMitte\""), std::string::npos);
    EXPECT_NE(o.document.find("<TransformGroup name=\"Strasse\" nodeId=\"1\" >"),
              std::string::npos);
    EXPECT_EQ(o.log.back(), "Fahrbahn: nicht erzeugt");
    for (const auto& line : o.log) EXPECT_EQ(line.find("Längenkoordinate"), std::string::npos);
    EXPECT_EQ(params.texL0, "0,25");
}

TEST(GenerationRun, tooFewPointsWarnsAndClearsNothing) {
    ParameterSet params;
    params.splines.erase(1);
    TempDir dir;
    CollectingMessageSink messages;
    CollectingStatusLog log;
    log.append("kept");
    RandomSequence random;
    EXPECT_FALSE(runGeneration(params, dir / "x.i3d", messages, log, random, ','));
    EXPECT_EQ(messages.messages,
              (std::vector<Message>{{MessageKind::Warning, "Zu wenig SplinePunkte"}}));
    EXPECT_EQ(log.lines, std::vector<std::string>{"kept"});
    EXPECT_FALSE(std::filesystem::exists(dir / "x.i3d"));
}

// Every way a run can stop leaves the previous document byte for byte and no stray file.
TEST(GenerationRun, aStoppedRunLeavesTheOldOutputUntouched) {
    struct Case {
        const char* what;
        void (*change)(ParameterSet&);
        const char* message; // expected last message text
    };
    const Case cases[] = {
        {"unreadable texture length", [](ParameterSet& p) { p.texturLaenge = "zwanzig"; },
         "'zwanzig' ist kein gültiger Gleitkommawert"},
        {"unreadable TexL0", [](ParameterSet& p) { p.texL0 = ""; },
         "'' ist kein gültiger Gleitkommawert"},
        {"texture length 0", [](ParameterSet& p) { p.texturLaenge = "0"; },
         "Ungültige Gleitkommaoperation"},
        // The verge and the key are named, not only the division that would fail.
        {"verge texture length 0",
         [](ParameterSet& p) {
             p.linkerRand = test::profileOf(false, {{1.0, -10.0, 0.5}});
             p.linkerRand.textureLength = -0.0;
         },
         "linker Rand: Texturlänge 0 m – der Rand braucht eine Länge über 0 m je "
         "Texturwiederholung ([Rand_links_Textur] Laenge)"},
        {"pixel width no integer", [](ParameterSet& p) { p.texPixel = "1,5"; },
         "'1,5' ist kein gültiger Integerwert"},
        {"points too close", [](ParameterSet& p) { p.splines.get(1)->Z = 0.05; }, nullptr},
        {"heading off the chord", [](ParameterSet& p) { p.splines.get(0)->Yrot = 120; },
         nullptr},
    };
    for (const auto& c : cases) {
        auto params = straightRoad(10);
        c.change(params);
        const std::string texL0Before = params.texL0;
        RandomSequence random;
        const auto o = run(params, random, ',', "previous document\r\n");
        EXPECT_FALSE(o.written) << c.what;
        EXPECT_EQ(o.document, "previous document\r\n") << c.what;
        EXPECT_EQ(o.files, std::vector<std::string>{"road.i3d"}) << c.what;
        ASSERT_FALSE(o.messages.empty()) << c.what;
        if (c.message != nullptr) {
            EXPECT_EQ(o.messages.back(), (Message{MessageKind::Error, c.message})) << c.what;
        }
        EXPECT_EQ(params.texL0, texL0Before) << c.what;
    }
}

// Keeps what a stopping error carries besides the text the window shows.
class LocatingMessageSink final : public MessageSink {
public:
    void show(MessageKind kind, std::string_view text) override { texts.show(kind, text); }
    void showError(const TrassolinError& error) override {
        MessageSink::showError(error);
        if (const auto* c = dynamic_cast<const ConversionError*>(&error)) where = c->where;
    }
    // The window's view: the base class hands the bare text to show().
    CollectingMessageSink texts;
    ValueLocation where;
};

TEST(GenerationRun, aFieldThatIsNoNumberNamesItsSectionAndKey) {
    const struct {
        void (*change)(ParameterSet&);
        const char* message;
        const char* section;
        const char* key;
    } cases[] = {
        {[](ParameterSet& p) { p.breite = "breit"; }, "'breit' ist kein gültiger Gleitkommawert",
         "Fahrbahn_Geo", "Breite"},
        {[](ParameterSet& p) { p.texPixel = "1,5"; }, "'1,5' ist kein gültiger Integerwert",
         "Fahrbahn_Textur", "TexPixel"},
        {[](ParameterSet& p) {
             p.trafficLinks = true;
             p.trafficLinksProzent = "";
         },
         "'' ist kein gültiger Gleitkommawert", "TrafficSplines", "LinksProzent"},
        {[](ParameterSet& p) { p.texL0 = "null"; }, "'null' ist kein gültiger Gleitkommawert",
         "Fahrbahn_Textur", "TexL0"},
        {[](ParameterSet& p) {
             p.trafficMitte = true;
             p.verkehrsspline = true;
             p.tempo = "schnell";
         },
         "'schnell' ist kein gültiger Gleitkommawert", "KI", "Tempo"},
        {[](ParameterSet& p) {
             p.trafficRechts = true;
             p.verkehrsspline = true;
             p.tempoFaktor = "";
         },
         "'' ist kein gültiger Gleitkommawert", "KI", "TempoFaktor"},
    };
    for (const auto& c : cases) {
        auto params = straightRoad(10);
        c.change(params);
        TempDir dir;
        LocatingMessageSink messages;
        CollectingStatusLog log;
        RandomSequence random;
        EXPECT_FALSE(runGeneration(params, dir / "road.i3d", messages, log, random, ','));
        EXPECT_EQ(messages.texts.messages, (std::vector<Message>{{MessageKind::Error, c.message}}));
        EXPECT_EQ(messages.where.section, c.section) << c.message;
        EXPECT_EQ(messages.where.key, c.key) << c.message;
        EXPECT_TRUE(messages.where.file.empty()) << "the run knows no file";
    }
}

// The game's speed attributes are read only where a curve carries them, and a value no game
// takes is refused naming [KI] and its key, before anything is written.
TEST(GenerationRun, theGamesSpeedValuesAreCheckedOnlyWhereACurveCarriesThem) {
    const struct {
        bool curve, attributes;
        const char *tempo, *faktor;
        const char* message; // nullptr: written
    } cases[] = {
        {false, true, "schnell", "-1", nullptr},
        {true, false, "-50", "", nullptr},
        {true, true, "1000", "0,5", nullptr},
        {true, true, "-50", "1",
         "[KI] Tempo: '-50' nimmt das Spiel nicht an; erlaubt sind mehr als 0 bis 1.000 km/h"},
        {true, true, "0", "1",
         "[KI] Tempo: '0' nimmt das Spiel nicht an; erlaubt sind mehr als 0 bis 1.000 km/h"},
        {true, true, "1E308", "1",
         "[KI] Tempo: '1E308' nimmt das Spiel nicht an; erlaubt sind mehr als 0 bis 1.000 km/h"},
        {true, true, "50", "-1",
         "[KI] TempoFaktor: '-1' nimmt das Spiel nicht an; erlaubt sind mehr als 0 bis 10"},
        {true, true, "50", "11",
         "[KI] TempoFaktor: '11' nimmt das Spiel nicht an; erlaubt sind mehr als 0 bis 10"},
    };
    for (const auto& c : cases) {
        auto params = straightRoad(10);
        params.trafficMitte = c.curve;
        params.verkehrsspline = c.attributes;
        params.tempo = c.tempo;
        params.tempoFaktor = c.faktor;
        RandomSequence random;
        const auto o = run(params, random, ',', "old");
        EXPECT_EQ(o.written, c.message == nullptr) << c.tempo << " " << c.faktor;
        if (c.message == nullptr) continue;
        EXPECT_EQ(o.messages, (std::vector<Message>{{MessageKind::Error, c.message}}));
        EXPECT_EQ(o.document, "old");
    }
}

TEST(GenerationRun, aTextureLengthOfAPartThatIsOffNeverStopsTheRun) {
    auto params = straightRoad(10);
    params.fahrbahnErzeugen = false;
    params.texturLaenge = "0";
    EXPECT_TRUE(run(params).written);
}

TEST(GenerationRun, anOutputInAMissingFolderIsReportedInGermanWords) {
    auto params = straightRoad(10);
    RandomSequence random;
    const auto o = run(params, random, ',', nullptr, "fehlt/road.i3d");
    EXPECT_FALSE(o.written);
    EXPECT_EQ(o.messages, (std::vector<Message>{{MessageKind::Error, "Ungültiger Dateiname"}}));
    EXPECT_FALSE(o.log.empty()); // the parameters were reported before the file failed
}

TEST(GenerationRun, anAbsurdChordLengthStopsInsteadOfSamplingForever) {
    auto params = straightRoad(1e12);
    const auto o = run(params);
    EXPECT_FALSE(o.written);
    ASSERT_FALSE(o.messages.empty());
    EXPECT_EQ(o.messages.back().kind, MessageKind::Error);
}

TEST(GenerationRun, theDecimalSeparatorChangesNoNumberInTheDocument) {
    auto a = straightRoad(25);
    auto b = straightRoad(25);
    a.breite = "6,5";
    b.breite = "6.5";
    RandomSequence r1, r2;
    const auto comma = run(a, r1, ','), point = run(b, r2, '.');
    EXPECT_EQ(comma.document, point.document);
    EXPECT_EQ(comma.log, point.log);
}


// A bending, climbing and banked road with both edges, the fill and all curves on.
ParameterSet fullRoad() {
    ParameterSet p;
    p.splines.assignPoints({});
    const double pts[][6] = {{0, 0, 0, 0, 0, 0},        {0, 1, 40, -1.5, -10, -3},
                             {-15, 2, 80, 0, -30, -5}, {-40, 1.5, 110, 2, -55, 0},
                             {-75, 0, 125, 0, -80, 4}};
    for (const auto& q : pts) {
        auto& s = p.splines.append();
        s.X = q[0];
        s.Y = q[1];
        s.Z = q[2];
        s.Xrot = q[3];
        s.Yrot = q[4];
        s.Zrot = q[5];
    }
    p.schleppkurveErzeugen = true;
    p.sturzErzeugen = true;
    p.sturz = "40";
    p.trafficMitte = p.trafficRechts = p.trafficLinks = true;
    CollectingMessageSink messages;
    for (TRandPunkte* edge : {&p.rechterRand, &p.linkerRand}) {
        *edge = test::profileOf(edge->rightSide(), {{0.8, -0.2 * 180 / std::numbers::pi},
                                                    {1.5, -0.7 * 180 / std::numbers::pi}});
        edge->textureLength = 4;
        edge->textureWidth = 2;
        edge->textureFileName = "verge.dds";
        edge->computeUFromTextureWidth(messages);
        edge->recompute(messages);
    }
    p.fuellFlaecheErzeugen = true;
    p.fill.textureFile = "stirn.dds";
    return p;
}

// How the subsets tile the mesh is the document's business; here: the run builds all five
// parts, and the fill faces join them (their order in the next test).
TEST(GenerationRun, allPartsGoIntoTheMeshAndTheLog) {
    auto params = fullRoad();
    const auto o = run(params);
    ASSERT_TRUE(o.written) << (o.messages.empty() ? "" : o.messages.back().text);
    EXPECT_NE(o.document.find("materialIds=\"11, 12, 13, 14, 14\""), std::string::npos);
    // Five subsets tile the vertex and index ranges without gaps, in build order.
    const auto first = test::attributeNumbers(o.document, "firstVertex");
    const auto counts = test::attributeNumbers(o.document, "numVertices");
    const auto firstIndex = test::attributeNumbers(o.document, "firstIndex");
    const auto numIndices = test::attributeNumbers(o.document, "numIndices");
    ASSERT_EQ(counts.size(), 5u);
    double vertex = 0, index = 0;
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(first[k][0], vertex) << k;
        EXPECT_EQ(firstIndex[k][0], index) << k;
        vertex += counts[k][0];
        index += numIndices[k][0];
    }
    EXPECT_EQ(vertex, static_cast<double>(vertices(o.document).size()));
    EXPECT_EQ(index, 3.0 * static_cast<double>(triangles(o.document).size()));
    // Both fill faces: the outline of 3 + 3 profile points, 4 triangles each.
    EXPECT_EQ(counts[3][0], 6);
    EXPECT_EQ(counts[4][0], 6);
    EXPECT_EQ(o.log.back(), "Füllfläche: 6 Vertices, 4 triangles");
    EXPECT_NE(std::find(o.log.begin(), o.log.end(), "Randpunkte-Ausgabe für: rechter Rand"),
              o.log.end());
}

// The figures the command line prints after a run are the ones of the log and the document.
TEST(GenerationRun, theSummaryAddsUpTheMeshPartsAndListsTheDocumentsFiles) {
    auto params = fullRoad();
    TempDir dir;
    CollectingMessageSink messages;
    CollectingStatusLog log;
    RandomSequence random;
    RunSummary summary;
    ASSERT_TRUE(runGeneration(params, dir / "road.i3d", messages, log, random, ',',
                              {.summary = &summary}));
    const std::string doc = readFile(dir / "road.i3d");
    EXPECT_EQ(summary.vertices, static_cast<int>(vertices(doc).size()));
    EXPECT_EQ(summary.triangles, static_cast<int>(triangles(doc).size()));
    const std::string total = "Gesamt-Fahrbahnlänge = " + formatFixed(summary.roadLength) + " m";
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), total), log.lines.end()) << total;
    const std::vector<std::string> files{params.texturFileName, params.rechterRand.textureFileName,
                                         params.linkerRand.textureFileName,
                                         params.fill.textureFile};
    EXPECT_EQ(summary.textureFiles, files);
    for (const std::string& file : files)
        EXPECT_NE(doc.find("filename=\"" + file + "\""), std::string::npos) << file;
}

TEST(GenerationRun, fillFacesMeetTheEdgeStripsAndTheRoadBorders) {
    auto params = fullRoad();
    const auto o = run(params);
    ASSERT_TRUE(o.written);
    const auto v = vertices(o.document);
    const auto first = test::attributeNumbers(o.document, "firstVertex");
    const auto count = test::attributeNumbers(o.document, "numVertices");
    const auto at = [&](std::size_t subset, std::size_t k) {
        return v[static_cast<std::size_t>(first[subset][0]) + k];
    };
    const auto expectSame = [](const Vertex& a, const Vertex& b, const char* what) {
        EXPECT_NEAR(a.x, b.x, 2e-4) << what;
        EXPECT_NEAR(a.y, b.y, 2e-4) << what;
        EXPECT_NEAR(a.z, b.z, 2e-4) << what;
    };
    const std::size_t road = 0, right = 1, left = 2, startFace = 3, endFace = 4;
    const auto lastOf = [&](std::size_t subset, std::size_t k, std::size_t sectionSize) {
        return at(subset, static_cast<std::size_t>(count[subset][0]) - sectionSize + k);
    };
    for (std::size_t k = 0; k < 3; ++k) {
        // outline: right profile inwards-out, then the left profile outside-in
        expectSame(at(startFace, k), at(right, k), "start face / right strip");
        expectSame(at(startFace, 5 - k), at(left, k), "start face / left strip");
        expectSame(at(endFace, k), lastOf(right, k, 3), "end face / right strip");
        expectSame(at(endFace, 5 - k), lastOf(left, k, 3), "end face / left strip");
    }
    expectSame(at(startFace, 0), at(road, 0), "start face / first right road vertex");
    expectSame(at(startFace, 5), at(road, 1), "start face / first left road vertex");
    const auto roadCount = static_cast<std::size_t>(count[road][0]);
    expectSame(at(endFace, 0), at(road, roadCount - 2), "end face / last right road vertex");
    expectSame(at(endFace, 5), at(road, roadCount - 1), "end face / last left road vertex");
}

// Both end faces of the bundled roads (the village street with its kerbs closed too): each
// triangle turns like its vertices' normal, and together they cover the face's outline once.
TEST(GenerationRun, theExamplesEndFacesAreWoundOutwardAndTileTheirOutline) {
    for (const char* example : {"landstrasse.ini", "dorfstrasse.ini"}) {
        ParameterSet params;
        CollectingMessageSink loadMessages;
        loadParameterFile(test::examplesDir() / example, params, loadMessages);
        params.rechterRand.enabled = params.linkerRand.enabled = true;
        params.fuellFlaecheErzeugen = true;
        const auto o = run(params);
        ASSERT_TRUE(o.written) << example;
        const auto p = test::attributeNumbers(o.document, "p");
        const auto n = test::attributeNumbers(o.document, "n");
        const auto first = test::attributeNumbers(o.document, "firstVertex");
        const auto count = test::attributeNumbers(o.document, "numVertices");
        const auto firstIndex = test::attributeNumbers(o.document, "firstIndex");
        const auto numIndices = test::attributeNumbers(o.document, "numIndices");
        const auto tris = test::attributeNumbers(o.document, "vi");
        ASSERT_EQ(count.size(), 5u) << example;
        using V = std::array<double, 3>;
        const auto sub = [](const V& a, const V& b) { return V{a[0] - b[0], a[1] - b[1], a[2] - b[2]}; };
        const auto cross = [](const V& a, const V& b) {
            return V{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        };
        const auto dot = [](const V& a, const V& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
        const auto at = [&](double k) {
            const auto& q = p[static_cast<std::size_t>(k)];
            return V{q[0], q[1], q[2]};
        };
        for (const std::size_t face : {std::size_t{3}, std::size_t{4}}) {
            const auto& normal = n[static_cast<std::size_t>(first[face][0])];
            const V faceNormal{normal[0], normal[1], normal[2]};
            // The outline's area by Newell's rule over the face's vertices in outline order.
            V twiceArea{0, 0, 0};
            for (int k = 0; k < count[face][0]; ++k) {
                const V a = at(first[face][0] + k);
                const V b = at(first[face][0] + (k + 1) % static_cast<int>(count[face][0]));
                const V c = cross(a, b);
                for (int i = 0; i < 3; ++i) twiceArea[static_cast<std::size_t>(i)] += c[static_cast<std::size_t>(i)];
            }
            double covered = 0.0;
            const auto firstTriangle = static_cast<std::size_t>(firstIndex[face][0] / 3);
            for (std::size_t t = 0; t < static_cast<std::size_t>(numIndices[face][0] / 3); ++t) {
                const auto& tri = tris[firstTriangle + t];
                const V a = at(tri[0]), b = at(tri[1]), c = at(tri[2]);
                const double turned = dot(cross(sub(b, a), sub(c, a)), faceNormal) / 2;
                EXPECT_GE(turned, -1e-6) << example << ", face " << face << ", triangle " << t;
                covered += turned;
            }
            EXPECT_NEAR(covered, std::sqrt(dot(twiceArea, twiceArea)) / 2, 1e-3) << example;
            EXPECT_GT(covered, 0.1) << example;
        }
    }
}

// Sizes within every single limit can still make a mesh no machine builds: such a run is
// refused before it starts, with the size it would have, and the old document stays.
TEST(GenerationRun, aRoadBeyondTheVertexBudgetIsRefusedBeforeItStarts) {
    ParameterSet params = straightRoad(900'000); // 900 km, within the longest chord
    CollectingMessageSink silent;
    for (TRandPunkte* edge : {&params.rechterRand, &params.linkerRand}) {
        edge->enabled = true;
        edge->resize(1001, silent);
        edge->textureLength = 5;
    }
    RandomSequence random;
    const auto o = run(params, random, ',', "old");
    EXPECT_FALSE(o.written);
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(o.messages[0].text.starts_with("Die Straße würde bis zu 3.607."))
        << o.messages[0].text;
    EXPECT_NE(o.messages[0].text.find("mehr als 50.000.000 erzeugt Trassolin nicht"),
              std::string::npos);
    EXPECT_EQ(o.document, "old");
    EXPECT_EQ(o.files, std::vector<std::string>{"road.i3d"});
}

TEST(GenerationRun, runningOutOfMemoryIsSaidInGermanAndKeepsTheOldDocument) {
    ParameterSet params = straightRoad(10);
    params.rechterRand.enabled = true;
    params.rechterRand.textureLength = 5;
    TempDir dir;
    writeFile(dir / "road.i3d", "old");
    CollectingMessageSink messages;
    CollectingStatusLog log;
    RandomSequence random;
    const bool written =
        runGeneration(params, dir / "road.i3d", messages, log, random, ',',
                      {.readEdgeFields = [](TRandPunkte&) { throw std::bad_alloc(); }});
    EXPECT_FALSE(written);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Nicht genügend Arbeitsspeicher");
    EXPECT_EQ(readFile(dir / "road.i3d"), "old");
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"road.i3d"});
}

// Synthetic documents of every shape are checked in the document tests; this is a real one.
TEST(GenerationRun, aDocumentWithAllPartsIsWellFormedAndFollowsTheSchema) {
    if (!test::xmllintAvailable()) GTEST_SKIP() << "xmllint is not installed";
    auto params = fullRoad();
    params.strassenName = "Straße <Nord> & \"Süd\" €";
    params.texturFileName = "a&b.dds";
    const auto o = run(params);
    ASSERT_TRUE(o.written);
    TempDir dir;
    std::string log;
    writeFile(dir / "doc.i3d", o.document);
    EXPECT_EQ(test::xmllint("--noout", dir / "doc.i3d", log), 0) << log;
    const auto schema = test::i3dSchema();
    if (!std::filesystem::exists(schema)) GTEST_SKIP() << "schema not available";
    writeFile(dir / "stripped.i3d", test::withoutEditorAttributes(o.document));
    EXPECT_EQ(test::xmllint("--noout --schema '" + schema.string() + "'", dir / "stripped.i3d", log),
              0)
        << log;
}

} // namespace
} // namespace trassolin
