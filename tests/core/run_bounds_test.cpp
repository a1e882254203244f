// The sizes a run is refused by before it starts: true upper bounds of every part of it, and
// close enough that real roads are never refused.

#include "generation/random_sequence.h"
#include "generation/run.h"
#include "generation/run_bounds.h"
#include "settings/parameter_file.h"
#include "settings/parameter_set.h"
#include "support/test_support.h"
#include "winding_road.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace trassolin {
namespace {

using test::TempDir;

ParameterSet example(const char* file) {
    ParameterSet p;
    CollectingMessageSink messages;
    loadParameterFile(test::examplesDir() / file, p, messages);
    return p;
}

// A road that turns and climbs at every point, road surface only.
ParameterSet windingPoints(int points, double apart) {
    ParameterSet p;
    p.splines.assignPoints({});
    for (int i = 0; i < points; ++i) {
        TSplinePkt& s = p.splines.append();
        s.X = 10.0 * std::sin(i);
        s.Y = 2.0 * std::cos(i);
        s.Z = apart * i;
        s.Yrot = 20.0 * std::sin(i);
    }
    return p;
}

void withEdges(ParameterSet& p, bool reset) {
    for (TRandPunkte* edge : {&p.rechterRand, &p.linkerRand}) {
        *edge = test::profileOf(edge->rightSide(), {{0.8, -10.0, 0.3}, {1.5, -40.0, 0.9}});
        edge->textureLength = 0.05; // a reset at every border point when `reset`
        edge->resetInsteadOfMirror = reset;
    }
}

struct Built {
    bool written = false;
    std::string message;
    RunSummary summary;
    int curvePoints = 0;
};

Built build(ParameterSet& params) {
    TempDir dir;
    CollectingMessageSink messages;
    CollectingStatusLog log;
    RandomSequence random;
    Built b;
    RunOptions options;
    options.summary = &b.summary;
    b.written = runGeneration(params, dir / "road.i3d", messages, log, random, ',', options);
    if (!messages.messages.empty()) b.message = messages.messages.front().text;
    if (b.written) b.curvePoints = static_cast<int>(
        test::attributeNumbers(test::readFile(dir / "road.i3d"), "c").size());
    return b;
}

// Named roads against the one invariant: what a run builds never exceeds its bound.
TEST(RunBounds, noRunBuildsMoreThanItsBound) {
    const struct {
        const char* name;
        std::function<ParameterSet()> make;
    } roads[] = {
        {"landstrasse", [] { return example("landstrasse.ini"); }},
        {"dorfstrasse", [] { return example("dorfstrasse.ini"); }},
        // Texture resets: each repeats both border vertices as a seam.
        {"roadResetAtEverySample",
         [] {
             ParameterSet p = windingPoints(6, 20);
             p.ruecksetzen = true;
             p.texturLaenge = "0,05";
             return p;
         }},
        {"edgesResetAtEveryBorderPoint",
         [] {
             ParameterSet p = windingPoints(6, 20);
             withEdges(p, true);
             p.preferences.dreieckeSym = true; // a border point on both sides at every sample
             p.fuellFlaecheErzeugen = true;
             return p;
         }},
        {"everythingWithResets",
         [] {
             ParameterSet p = windingPoints(6, 20);
             withEdges(p, true);
             p.ruecksetzen = true;
             p.texturLaenge = "0,05";
             p.trafficMitte = p.trafficRechts = p.trafficLinks = true;
             return p;
         }},
        // Two samples, each curve padded to four control vertices.
        {"shortCurvesAlone",
         [] {
             ParameterSet p = windingPoints(2, 1);
             p.fahrbahnErzeugen = false;
             p.trafficMitte = p.trafficRechts = p.trafficLinks = true;
             return p;
         }},
    };
    for (const auto& road : roads) {
        ParameterSet params = road.make();
        CollectingMessageSink messages;
        ASSERT_TRUE(params.splines.refine(messages, ',')) << road.name;
        const RunSize bound = runSizeAtMost(params);
        const Built built = build(params);
        ASSERT_TRUE(built.written) << road.name << ": " << built.message;
        EXPECT_LE(built.summary.vertices, bound.meshVertices) << road.name;
        EXPECT_LE(built.curvePoints, bound.curvePoints) << road.name;
        EXPECT_GT(built.summary.vertices + built.curvePoints, 0) << road.name;
    }
}

// The longest road of the benchmarks, with everything on, is far inside every bound.
TEST(RunBounds, aThousandKilometresOfCountryRoadAreNeverRefused) {
    TempDir dir;
    bench::writeWindingRoad(dir / "road.ini", 1000);
    ParameterSet params = bench::loadWindingRoad(dir / "road.ini");
    params.ruecksetzen = true;
    params.rechterRand.resetInsteadOfMirror = true;
    CollectingMessageSink messages;
    ASSERT_TRUE(params.splines.refine(messages, ','));
    const RunSize size = runSizeAtMost(params);
    EXPECT_NO_THROW(refuseOversizedRun(size, params.splines.count()));
    EXPECT_LT(size.candidates, kMaxPathCandidates / 10);
    EXPECT_LT(size.meshVertices, kMaxMeshVertices / 1.5);
    EXPECT_LT(size.curvePoints, kMaxCurvePoints / 5);
}

// Without the road and the verges nothing counts vertices: the path and the curves are bounded
// on their own, before anything is built, and the old document stays.
TEST(RunBounds, aRoadOfCurvesAloneOrOfNothingIsBoundedBeforeItStarts) {
    const struct {
        const char* name;
        int points;
        bool curves;
        std::string message;
    } cases[] = {
        {"curvesOverThePathBudget", 40, true,
         "Der Weg der Straße würde an bis zu 70.200.078 Stellen abgetastet; mehr als 25.000.000 "
         "prüft Trassolin nicht. Eine kürzere Straße wählen."},
        {"nothingOverThePathBudget", 40, false,
         "Der Weg der Straße würde an bis zu 70.200.078 Stellen abgetastet; mehr als 25.000.000 "
         "prüft Trassolin nicht. Eine kürzere Straße wählen."},
        {"curvesOverTheirBudget", 12, true,
         "Die Verkehrssplines würden bis zu 59.400.066 Kontrollpunkte erhalten; mehr als "
         "50.000.000 erzeugt Trassolin nicht. Weniger Verkehrssplines oder eine kürzere Straße "
         "wählen."},
    };
    for (const auto& c : cases) {
        ParameterSet params;
        params.splines.assignPoints({});
        for (int i = 0; i < c.points; ++i) params.splines.append().Z = 900'000.0 * i;
        params.fahrbahnErzeugen = false;
        params.trafficMitte = params.trafficRechts = params.trafficLinks = c.curves;
        TempDir dir;
        test::writeFile(dir / "road.i3d", "old");
        CollectingMessageSink messages;
        CollectingStatusLog log;
        RandomSequence random;
        EXPECT_FALSE(runGeneration(params, dir / "road.i3d", messages, log, random, ','));
        EXPECT_EQ(messages.messages, (std::vector<Message>{{MessageKind::Error, c.message}}))
            << c.name;
        EXPECT_EQ(test::readFile(dir / "road.i3d"), "old");
        EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"road.i3d"});
    }
}

TEST(RunBounds, aPointSetBeyondWhatALoadTakesIsRefused) {
    RunSize small;
    EXPECT_NO_THROW(refuseOversizedRun(small, kMaxSplinePoints));
    try {
        refuseOversizedRun(small, kMaxSplinePoints + 1);
        ADD_FAILURE() << "accepted";
    } catch (const TrassolinError& e) {
        EXPECT_STREQ(e.what(), "Die Straße hat 100.001 Spline-Punkte; mehr als 100.000 "
                               "verarbeitet Trassolin nicht.");
    }
}

} // namespace
} // namespace trassolin
