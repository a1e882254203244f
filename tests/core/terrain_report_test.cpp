#include "terrain/terrain_report.h"

#include "support/test_support.h"
#include "uGlobal/errors.h"

#include <gtest/gtest.h>

namespace trassolin {
namespace {

// Level ground at 10 m: 101 × 101 pixels at 1 m, x and z from -50 to 50.
HeightMap level() {
    GreyImage16 image(101, 101);
    for (int r = 0; r < 101; ++r) {
        for (int c = 0; c < 101; ++c)
            image.at(c, r) = 10000;
    }
    return HeightMap(std::move(image), {65.535, 1.0});
}

// A road along +z from z = -40: station s lies at z = s - 40. Its borders at x = ∓3 and
// the verges' outer ends at x = ∓5, each `lift(s)` above the ground.
std::vector<RoadPoint> roadAlongZ(const std::vector<double>& stations, double (*road)(double),
                                  double (*verge)(double)) {
    std::vector<RoadPoint> points;
    for (const double s : stations) {
        const double z = s - 40;
        points.push_back({ClearanceLine::RoadRight, s, -3, 10 + road(s), z});
        points.push_back({ClearanceLine::RoadLeft, s, 3, 10 + road(s), z});
        points.push_back({ClearanceLine::RightVergeOuter, s, -5, 10 + verge(s), z});
        points.push_back({ClearanceLine::LeftVergeOuter, s, 5, 10 + verge(s), z});
    }
    return points;
}

double flatOnTheGround(double) {
    return 0.0;
}
// Over a hollow between 30 and 50 m, deepest (0.42 m) at 40 m; the verge dips into a bank.
double overAHollow(double s) {
    return s > 30 && s < 50 ? 0.42 - std::abs(s - 40) * 0.03 : 0.02;
}
double intoABank(double s) {
    return s >= 60 && s <= 64 ? -0.25 : -0.05;
}

TEST(TerrainReport, namesWhereAndHowFarTheRoadFloatsAndSinks) {
    std::vector<double> stations;
    for (double s = 0; s <= 80; s += 2)
        stations.push_back(s);
    const TerrainReport report =
        measureClearance(roadAlongZ(stations, overAHollow, intoABank), level(), ',');
    ASSERT_EQ(report.rows.size(), stations.size());
    EXPECT_NEAR(*report.rows[20].height[0], 0.42, 1e-9); // station 40
    EXPECT_TRUE(exceedsTolerance(report, 0.1));
    EXPECT_FALSE(exceedsTolerance(report, 0.5));
    EXPECT_EQ(reportLines(report, 0.1, ','),
              (std::vector<std::string>{
                  "Fahrbahn: max. 0,42 m über, 0,00 m unter dem Gelände; rechter Rand außen: max. "
                  "0,00 m über, 0,25 m unter dem Gelände; linker Rand außen: max. 0,00 m über, "
                  "0,25 m unter dem Gelände",
                  "Toleranz 0,1 m überschritten:",
                  "  rechter Fahrbahnrand 32–48 m: bis 0,42 m über dem Gelände (bei 40 m)",
                  "  linker Fahrbahnrand 32–48 m: bis 0,42 m über dem Gelände (bei 40 m)",
                  "  rechter Rand außen 60–64 m: bis 0,25 m unter dem Gelände (bei 60 m)",
                  "  linker Rand außen 60–64 m: bis 0,25 m unter dem Gelände (bei 60 m)"}));
    EXPECT_EQ(reportLines(report, 0.5, '.'),
              (std::vector<std::string>{
                  "Fahrbahn: max. 0.42 m über, 0.00 m unter dem Gelände; rechter Rand außen: max. "
                  "0.00 m über, 0.25 m unter dem Gelände; linker Rand außen: max. 0.00 m über, "
                  "0.25 m unter dem Gelände",
                  "Toleranz 0.5 m eingehalten"}));
}

TEST(TerrainReport, aSingleStationAndTooManyStretchesAreSaidBriefly) {
    // Every other station 0.2 m up: eleven stretches of one station each.
    std::vector<double> stations;
    for (double s = 0; s <= 42; s += 2)
        stations.push_back(s);
    auto points = roadAlongZ(stations, flatOnTheGround, flatOnTheGround);
    for (RoadPoint& p : points) {
        if (static_cast<int>(p.station) % 4 == 0 && p.line == ClearanceLine::RoadLeft) p.y += 0.2;
    }
    const auto lines = reportLines(measureClearance(points, level(), ','), 0.1, ',', 3);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "  linker Fahrbahnrand bei 0 m: 0,20 m über dem Gelände");
    EXPECT_EQ(lines[4], "  linker Fahrbahnrand bei 8 m: 0,20 m über dem Gelände");
    EXPECT_EQ(lines[5], "  … und 8 weitere Abschnitte");
}

TEST(TerrainReport, leavesOutWhatTheRoadDoesNotHaveAndCountsASeamOnce) {
    // A road without verges whose plain samples have one border each; a seam repeats station 4.
    const std::vector<RoadPoint> points = {{ClearanceLine::RoadRight, 0, -3, 10.05, 0},
                                           {ClearanceLine::RoadLeft, 0, 3, 10.05, 0},
                                           {ClearanceLine::RoadRight, 2, -3, 10.05, 2},
                                           {ClearanceLine::RoadLeft, 4, 3, 10.07, 4},
                                           {ClearanceLine::RoadLeft, 4, 3, 99.0, 4}};
    const TerrainReport report = measureClearance(points, level(), '.');
    ASSERT_EQ(report.rows.size(), 3u);
    EXPECT_FALSE(report.rows[1].height[1]);
    EXPECT_NEAR(*report.rows[2].height[1], 0.07, 1e-9);
    EXPECT_EQ(reportLines(report, 0.1, '.'),
              (std::vector<std::string>{"Fahrbahn: max. 0.07 m über, 0.00 m unter dem Gelände",
                                        "Toleranz 0.1 m eingehalten"}));
    EXPECT_EQ(clearanceCsv(report, ','),
              "Station;Fahrbahn_rechts;Fahrbahn_links;Rand_rechts_aussen;Rand_links_aussen\r\n"
              "0,000;0,050;0,050;;\r\n2,000;0,050;;;\r\n4,000;;0,070;;\r\n");
    // Neither road nor verges: nothing measured, and no tolerance to keep.
    const TerrainReport nothing = measureClearance({}, level(), ',');
    EXPECT_FALSE(exceedsTolerance(nothing, 0.0));
    EXPECT_EQ(reportLines(nothing, 0.1, ','),
              std::vector<std::string>{"Nichts mit dem Gelände zu vergleichen: die Straße hat "
                                       "weder Fahrbahn noch Ränder"});
}

TEST(TerrainReport, aPointOffTheMapNamesItsStation) {
    const std::vector<RoadPoint> points = {{ClearanceLine::RoadRight, 0, 0, 10, 0},
                                           {ClearanceLine::LeftVergeOuter, 125.25, 52.5, 10, 0}};
    EXPECT_EQ(test::thrownMessage<TrassolinError>([&] { measureClearance(points, level(), ','); }),
              "Station 125,25 m (linker Rand außen, x = 52,5, z = 0) liegt außerhalb des Geländes "
              "(x von -50 bis 50 m, z von -50 bis 50 m)");
}

} // namespace
} // namespace trassolin
