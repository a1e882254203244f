// What of a road meets the ground: its border points and outer ends with their stations, and
// its surfaces, taken from the mesh a run builds; and the report of a road over a ridge.
#include "terrain/road_footprint.h"

#include "support/road_runs.h"
#include "support/test_support.h"
#include "terrain/terrain_report.h"
#include "uGlobal/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace trassolin {
namespace {

// A straight road along +z from the origin, `length` m long, with both verges; a texture of
// 1 m with resets gives a sample every few metres and seams that repeat border vertices.
ParameterSet straightRoad(double length) {
    ParameterSet p;
    p.splines.get(1)->Z = length;
    p.texturLaenge = "1";
    p.ruecksetzen = true;
    // The verges of the country road, which has their textures.
    const ParameterSet example = test::example("landstrasse.ini", true);
    p.rechterRand = example.rechterRand;
    p.linkerRand = example.linkerRand;
    return p;
}

RoadFootprint footprintOf(ParameterSet& params) {
    CollectingMessageSink messages;
    return roadFootprint(params, messages, RandomSequence{}, '.');
}

std::vector<RoadPoint> on(const RoadFootprint& f, ClearanceLine line) {
    std::vector<RoadPoint> points;
    std::copy_if(f.points.begin(), f.points.end(), std::back_inserter(points),
                 [&](const RoadPoint& p) { return p.line == line; });
    return points;
}

std::vector<double> sectionStations(const MeshPart& part) {
    std::vector<double> stations;
    part.sections().forEach(0, part.sections().size(),
                            [&](const CrossSection& s) { stations.push_back(s.station); });
    return stations;
}

TEST(RoadFootprint, bordersAndOuterEndsStandWhereTheStraightRoadPutsThem) {
    ParameterSet params = straightRoad(30);
    ParameterSet same = straightRoad(30);
    const RoadMesh mesh = test::meshOf(same).mesh;
    const MeshPart& road = *mesh.find(PartKind::RoadSurface);
    ASSERT_GT(mesh.find(PartKind::RightVerge)->rowLength(), 1u);
    const RoadFootprint f = footprintOf(params);

    const double half = parseTolerantReal(params.breite) / 2.0;
    const auto right = on(f, ClearanceLine::RoadRight), left = on(f, ClearanceLine::RoadLeft);
    // The seams repeat vertices: more of them than border points.
    ASSERT_GT(road.vertexCount(), right.size() + left.size());
    std::set<double> withBorder;
    for (const auto& [points, x] : {std::pair{&right, -half}, std::pair{&left, half}}) {
        for (const RoadPoint& p : *points) {
            // On its own border, at the station where the road stands there.
            EXPECT_NEAR(p.x, x, 1e-9) << p.station;
            EXPECT_NEAR(p.z, p.station, 1e-9) << p.station;
            EXPECT_EQ(p.y, 0.0);
            withBorder.insert(p.station);
        }
    }
    const std::vector<double> stations = sectionStations(road);
    EXPECT_EQ(withBorder, std::set<double>(stations.begin(), stations.end()));
    for (const auto* points : {&right, &left}) {
        EXPECT_EQ(points->front().station, 0.0);
        EXPECT_EQ(points->back().station, stations.back());
    }

    for (const auto& [line, side] : {std::pair{ClearanceLine::RightVergeOuter, -1.0},
                                     std::pair{ClearanceLine::LeftVergeOuter, 1.0}}) {
        const auto ends = on(f, line);
        ASSERT_FALSE(ends.empty());
        for (const RoadPoint& p : ends) {
            // Beyond the border on its side, the same profile point at every station.
            EXPECT_GT(side * p.x, half);
            EXPECT_EQ(p.x, ends.front().x);
            EXPECT_EQ(p.y, ends.front().y);
            EXPECT_NEAR(p.z, p.station, 1e-9);
        }
    }

    EXPECT_EQ(f.road().size(), road.triangleCount());
    EXPECT_EQ(f.verges().size(), mesh.find(PartKind::RightVerge)->triangleCount() +
                                     mesh.find(PartKind::LeftVerge)->triangleCount());
    for (const SurfaceTriangle& t : f.road()) {
        for (const auto& v : {t.a, t.b, t.c})
            EXPECT_NEAR(std::abs(v[0]), half, 1e-9);
    }
}

TEST(RoadFootprint, withoutTheRoadSurfaceOnlyTheVergesMeetTheGround) {
    ParameterSet params = straightRoad(30);
    params.fahrbahnErzeugen = false;
    const RoadFootprint f = footprintOf(params);
    EXPECT_TRUE(on(f, ClearanceLine::RoadRight).empty());
    EXPECT_TRUE(on(f, ClearanceLine::RoadLeft).empty());
    EXPECT_FALSE(on(f, ClearanceLine::RightVergeOuter).empty());
    EXPECT_FALSE(on(f, ClearanceLine::LeftVergeOuter).empty());
    EXPECT_TRUE(f.road().empty());
    EXPECT_FALSE(f.verges().empty());
}

// Level ground at 10 m with a ridge across z = 0, 0.5 m high, falling 0.05 m per metre to
// either side: 101 × 101 pixels at 1 m (x and z from -50 to 50), one value step a millimetre.
double ridge(double z) {
    return std::max(0.0, 0.5 - 0.05 * std::abs(z));
}

HeightMap ridgeGround() {
    GreyImage16 image(101, 101);
    for (int r = 0; r < 101; ++r) {
        for (int c = 0; c < 101; ++c)
            image.at(c, r) = static_cast<std::uint16_t>(10000 + std::lround(1000 * ridge(r - 50)));
    }
    return HeightMap(std::move(image), {65.535, 1.0});
}

TEST(RoadFootprint, aStraightRoadOverARidgeIsReportedAtItsStationsWithTheRidgesHeights) {
    // Level at 10 m from z = -40 to 40: station s stands at z = s - 40.
    ParameterSet params;
    params.splines.get(0)->Y = params.splines.get(1)->Y = 10;
    params.splines.get(0)->Z = -40;
    params.splines.get(1)->Z = 40;
    params.texturLaenge = "2";
    params.rechterRand.enabled = params.linkerRand.enabled = false;
    const TerrainReport report = measureClearance(footprintOf(params).points, ridgeGround(), ',');

    ASSERT_GT(report.rows.size(), 10u);
    // Each border on its own: the stations where it lies more than 0.1 m under the ground,
    // its deepest point and where.
    struct Border {
        const char* name;
        std::vector<double> beyond;
        double worst = 0.0, worstAt = 0.0;
    } borders[] = {{"rechter Fahrbahnrand", {}}, {"linker Fahrbahnrand", {}}};
    double deepest = 0.0;
    for (const ClearanceRow& row : report.rows) {
        EXPECT_FALSE(row.height[2] || row.height[3]);
        for (std::size_t line = 0; line < 2; ++line) {
            const auto& h = row.height[line];
            if (!h) continue;
            const double depth = ridge(row.station - 40);
            EXPECT_NEAR(*h, -depth, 1e-9) << row.station;
            Border& b = borders[line];
            if (depth > b.worst) b.worst = depth, b.worstAt = row.station;
            if (depth > 0.1 + 1e-6) b.beyond.push_back(row.station);
            deepest = std::max(deepest, depth);
        }
    }
    const auto m = [](double v) { return formatDecimals(v, 2, ','); };
    const auto s = [](double v) { return formatGeneral(decimalRound(v, -1), ','); };
    std::vector<std::pair<double, std::string>> stretches;
    for (const Border& b : borders) {
        // The samples lie a few metres apart: the deepest is near the ridge's crest.
        EXPECT_NEAR(b.worstAt, 40.0, 4.0) << b.name;
        ASSERT_FALSE(b.beyond.empty()) << b.name;
        stretches.emplace_back(b.beyond.front(),
                               "  " + std::string(b.name) + " " + s(b.beyond.front()) + "–" +
                                   s(b.beyond.back()) + " m: bis " + m(b.worst) +
                                   " m unter dem Gelände (bei " + s(b.worstAt) + " m)");
    }
    std::sort(stretches.begin(), stretches.end());
    EXPECT_EQ(reportLines(report, 0.1, ','),
              (std::vector<std::string>{
                  "Fahrbahn: max. 0,00 m über, " + m(deepest) + " m unter dem Gelände",
                  "Toleranz 0,1 m überschritten:", stretches[0].second, stretches[1].second}));
}

} // namespace
} // namespace trassolin
