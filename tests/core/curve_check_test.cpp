// The traffic curves checked as the game drives them ("Prüfen"): the curve as the engine
// evaluates it, sampled every metre, on analytic roads whose answers are known.
#include "generation/check.h"
#include "mesh/curve_check.h"
#include "support/road_runs.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace trassolin {
namespace {

using test::meshOf;

MeshCurve curveThrough(const std::vector<Vec3>& points, CurveKind kind = CurveKind::Middle) {
    MeshCurve curve{kind, "splineMitte", {}};
    for (const Vec3& p : points) curve.add(p);
    return curve;
}

std::vector<CurveSample> samplesOf(const MeshCurve& curve) {
    std::vector<CurveSample> samples;
    sampleCurve(curve, 1.0, [&](const CurveSample& s) { samples.push_back(s); });
    return samples;
}

TEST(SampleCurve, walksAStraightCurveMetreByMetreToItsEnd) {
    const auto samples = samplesOf(curveThrough({{0, 0, 0}, {0, 0, 2}, {0, 0, 7}, {0, 0, 10.5}}));
    ASSERT_EQ(samples.size(), 12u);
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const double station = k < 11 ? static_cast<double>(k) : 10.5;
        EXPECT_NEAR(samples[k].station, station, 1e-9) << k;
        // A millimetre is what the stations are for; the parameter is interpolated between
        // quarter-metre steps.
        EXPECT_NEAR(samples[k].position[2], station, 1e-3) << k;
        EXPECT_EQ(samples[k].position[0], 0.0);
    }
}

// Control vertices every 2 degrees on a circle: the curve is that circle, a hair inside.
TEST(SampleCurve, followsACircleOfItsControlVertices) {
    std::vector<Vec3> points;
    for (int degree = 0; degree <= 180; degree += 2) {
        const double a = degree * std::numbers::pi / 180;
        points.push_back({50 * std::cos(a), 3.0, 50 * std::sin(a)});
    }
    const auto samples = samplesOf(curveThrough(points));
    ASSERT_GT(samples.size(), 150u);
    EXPECT_NEAR(samples.back().station, 50 * std::numbers::pi, 0.1);
    for (std::size_t k = 10; k + 10 < samples.size(); ++k) {
        // R (4 + 2 cos 2°) / 6 at the knots: 1 cm inside.
        EXPECT_NEAR(std::hypot(samples[k].position[0], samples[k].position[2]), 50, 0.015);
        EXPECT_NEAR(circleRadius(samples[k - 4].position, samples[k].position,
                                 samples[k + 4].position),
                    50, 0.1)
            << samples[k].station;
        EXPECT_NEAR(samples[k + 1].station - samples[k].station, 1.0, 1e-9);
    }
    EXPECT_TRUE(samplesOf(curveThrough({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}})).empty());
}

TEST(CircleRadius, isThatOfTheCircleThroughThreePointsSeenFromAbove) {
    EXPECT_NEAR(circleRadius({10, 0, 0}, {0, 5, 10}, {-10, -3, 0}), 10, 1e-12);
    EXPECT_NEAR(circleRadius({0, 0, 0}, {3, 0, 4}, {0, 0, 8}), 25.0 / 6.0, 1e-12);
    EXPECT_TRUE(std::isinf(circleRadius({0, 0, 0}, {1, 7, 1}, {2, 0, 2})));
    EXPECT_TRUE(std::isinf(circleRadius({1, 0, 1}, {1, 0, 1}, {1, 0, 1})));
}

// A straight road of `length` m with all three curves.
ParameterSet straight(double length) {
    ParameterSet p;
    p.splines.get(1)->Z = length;
    p.trafficMitte = p.trafficRechts = p.trafficLinks = true;
    return p;
}

// Straight, a quarter circle of `radius` m turning left, straight: the bend begins 100 m
// from the start.
ParameterSet bend(double radius) {
    ParameterSet p;
    p.trafficMitte = true;
    std::vector<TSplinePkt> points;
    for (double z : {0.0, 50.0, 100.0}) points.push_back({0, 0, z});
    for (int degree = 15; degree <= 90; degree += 15) {
        const double a = degree * std::numbers::pi / 180;
        points.push_back({radius * (1 - std::cos(a)), 0, 100 + radius * std::sin(a)});
    }
    for (double x : {50.0, 100.0}) points.push_back({radius + x, 0, 100 + radius});
    p.splines.assignPoints(points);
    p.splines.setDirectionsFromNeighbours();
    return p;
}

TEST(CurveCheck, findsNothingOnAStraightRoad) {
    ParameterSet p = straight(200);
    const RoadMesh mesh = meshOf(p).mesh;
    ASSERT_EQ(mesh.curves.size(), 3u);
    const CurveCheck check = checkTrafficCurves(mesh, {});
    EXPECT_TRUE(check.surfaceChecked);
    EXPECT_TRUE(check.findings.empty());
}

TEST(CurveCheck, findsABendTighterThanTheVehiclesTurnWhereItIs) {
    ParameterSet p = bend(15);
    const RoadMesh mesh = meshOf(p).mesh;
    const CurveCheck check = checkTrafficCurves(mesh, {});
    ASSERT_EQ(check.findings.size(), 1u);
    const CurveFinding& f = check.findings[0];
    EXPECT_EQ(f.curve, CurveKind::Middle);
    EXPECT_EQ(f.kind, CurveFindingKind::TightBend);
    const double arc = 15 * std::numbers::pi / 2;
    EXPECT_GE(f.from, 95);
    EXPECT_LE(f.to, 105 + arc);
    EXPECT_GT(f.station, 100);
    EXPECT_LT(f.station, 100 + arc);
    EXPECT_NEAR(f.value, 15, 3);
    // The same bend at 30 m radius is no finding, unless the vehicles need more.
    ParameterSet wide = bend(30);
    const RoadMesh wideMesh = meshOf(wide).mesh;
    EXPECT_TRUE(checkTrafficCurves(wideMesh, {}).findings.empty());
    CurveCheckLimits trucks;
    trucks.minRadius = 40;
    EXPECT_EQ(checkTrafficCurves(wideMesh, trucks).findings.size(), 1u);
}

TEST(CurveCheck, findsACurveOffTheSurfaceOverItsWholeStretch) {
    for (const double lift : {0.6, -0.6, 0.4}) {
        ParameterSet p = straight(100);
        p.trafficRechts = p.trafficLinks = false;
        RoadMesh mesh = meshOf(p).mesh;
        mesh.curves[0].controlVertices.forEachMutable([lift](Vec3& v) { v[1] += lift; });
        const CurveCheck check = checkTrafficCurves(mesh, {});
        if (std::fabs(lift) < 0.45) {
            EXPECT_TRUE(check.findings.empty()) << lift;
            continue;
        }
        ASSERT_EQ(check.findings.size(), 1u) << lift;
        const CurveFinding& f = check.findings[0];
        EXPECT_EQ(f.kind, lift > 0 ? CurveFindingKind::AboveSurface : CurveFindingKind::BelowSurface);
        EXPECT_NEAR(f.value, 0.6, 1e-9);
        EXPECT_EQ(f.from, 0.0);
        EXPECT_NEAR(f.to, 100.0, 1e-9);
    }
}

// A lane at 150 % of the way to the border runs 1.75 m beside a 7 m road.
TEST(CurveCheck, findsALaneBesideTheRoad) {
    ParameterSet p = straight(100);
    p.trafficRechtsProzent = "150";
    const RoadMesh mesh = meshOf(p).mesh;
    const CurveCheck check = checkTrafficCurves(mesh, {});
    ASSERT_EQ(check.findings.size(), 1u);
    EXPECT_EQ(check.findings[0].curve, CurveKind::Right);
    EXPECT_EQ(check.findings[0].kind, CurveFindingKind::BesideRoad);
    EXPECT_NEAR(check.findings[0].value, 1.75, 1e-6);
    // Without a road surface only the radii can be checked.
    p.fahrbahnErzeugen = false;
    const CurveCheck radiiOnly = checkTrafficCurves(meshOf(p).mesh, {});
    EXPECT_FALSE(radiiOnly.surfaceChecked);
    EXPECT_TRUE(radiiOnly.findings.empty());
}

TEST(CurveFinding, readsAsTheUserIsToldIt) {
    const struct {
        CurveFinding finding;
        char separator;
        const char* text;
    } cases[] = {
        {{CurveKind::Right, CurveFindingKind::AboveSurface, 1234.4, 0.6249, 1234.4, 1234.4}, ',',
         "Kurve rechts bei 1 234 m: 0,62 m über der Fahrbahn"},
        {{CurveKind::Left, CurveFindingKind::BelowSurface, 12, 0.5, 3, 40.2}, '.',
         "Kurve links bei 12 m: 0.50 m unter der Fahrbahn (3 bis 40 m)"},
        {{CurveKind::Middle, CurveFindingKind::TightBend, 87.2, 14.8, 80, 95}, ',',
         "Kurve Mitte bei 87 m: Radius 14,80 m, kleiner als 20 m (80 bis 95 m)"},
        {{CurveKind::Left, CurveFindingKind::BesideRoad, 5, INFINITY, 0, 10000}, ',',
         "Kurve links bei 5 m: weit neben der Fahrbahn (0 bis 10 000 m)"},
    };
    for (const auto& c : cases) EXPECT_EQ(describeFinding(c.finding, 20, c.separator), c.text);
}

// The whole check as the command line and the window run it: built in memory from the
// parameter set, the findings in lines.
TEST(CheckRoad, saysKeineBefundeOrOneLinePerFinding) {
    CollectingMessageSink messages;
    const auto clean = checkRoad(straight(200), messages, RandomSequence{}, ',');
    ASSERT_TRUE(clean);
    EXPECT_EQ(clean->findings, 0u);
    EXPECT_EQ(clean->lines, std::vector<std::string>{"Keine Befunde"});

    ParameterSet p = bend(15);
    p.maxWenderadius = "10"; // the vehicles turn tighter than the bend
    EXPECT_EQ(checkRoad(p, messages, RandomSequence{}, ',')->findings, 0u);
    p.maxWenderadius = "";
    const auto tight = checkRoad(p, messages, RandomSequence{}, ',');
    ASSERT_TRUE(tight);
    ASSERT_EQ(tight->lines.size(), 1u);
    EXPECT_TRUE(tight->lines[0].starts_with("Kurve Mitte bei 1")) << tight->lines[0];
    EXPECT_NE(tight->lines[0].find(", kleiner als 20 m ("), std::string::npos) << tight->lines[0];

    ParameterSet none = straight(100);
    none.trafficMitte = none.trafficRechts = none.trafficLinks = false;
    EXPECT_EQ(checkRoad(none, messages, RandomSequence{}, ',')->lines,
              (std::vector<std::string>{"Keine Verkehrskurve eingeschaltet – nichts zu prüfen",
                                        "Keine Befunde"}));
    EXPECT_TRUE(messages.messages.empty());

    // A road that cannot be built is no check: the messages say why.
    ParameterSet broken = straight(100);
    broken.breite = "breit";
    EXPECT_FALSE(checkRoad(broken, messages, RandomSequence{}, ','));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "'breit' ist kein gültiger Gleitkommawert");
}

} // namespace
} // namespace trassolin
