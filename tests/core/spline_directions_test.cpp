#include "uSplinePkts/spline_punkte.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <numbers>
#include <vector>

namespace trassolin {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// Degrees brought into (-180, 180], to compare headings that differ by whole turns.
double wrapped(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

TSplinePunkte pointsAt(const std::vector<std::array<double, 3>>& xyz) {
    TSplinePunkte s;
    std::vector<TSplinePkt> points;
    for (const auto& [x, y, z] : xyz) {
        TSplinePkt p;
        p.X = x;
        p.Y = y;
        p.Z = z;
        p.Zrot = 4.0;
        points.push_back(p);
    }
    s.assignPoints(points);
    return s;
}

// World position of segment i at t, as the run places the refined path.
std::array<double, 3> pathAt(const TSplinePunkte& s, int i, double t) {
    TPunkt local;
    s.evaluate(i, local, t);
    const TSplinePkt& p = *s.get(i);
    local.rotateY(p.chordHeading);
    return {local.x + p.X, local.y + p.Y, local.z + p.Z};
}

TEST(SplineDirections, pointsOnACircleHeadAlongTheCircleAndRefineWithoutAWarning) {
    constexpr double radius = 100.0;
    std::vector<std::array<double, 3>> xyz;
    for (int k = 0; k <= 12; ++k) {
        const double a = k * 15.0 * kDeg;
        xyz.push_back({radius * std::cos(a), 0.0, radius * std::sin(a)});
    }
    TSplinePunkte s = pointsAt(xyz);
    s.setDirectionsFromNeighbours();
    for (int k = 1; k < 12; ++k) {
        // Travelling anticlockwise seen from above: the tangent (-sin a, 0, cos a).
        EXPECT_NEAR(wrapped(s.get(k)->Yrot), wrapped(-k * 15.0), 0.01) << k;
        EXPECT_EQ(s.get(k)->Xrot, 0.0);
        EXPECT_EQ(s.get(k)->Zrot, 4.0); // the bank stays
    }
    // The ends take their chord's direction: half a step off the circle's tangent.
    EXPECT_NEAR(wrapped(s.get(0)->Yrot), -7.5, 0.01);
    EXPECT_NEAR(wrapped(s.get(12)->Yrot), wrapped(-180.0 + 7.5), 0.01);

    CollectingMessageSink messages;
    ASSERT_TRUE(s.refine(messages, ','));
    EXPECT_TRUE(messages.messages.empty());
    // Halfway along each inner segment the path stays on the circle within a few centimetres.
    for (int i = 1; i < 11; ++i) {
        const auto p = pathAt(s, i, 0.5);
        EXPECT_NEAR(std::hypot(p[0], p[2]), radius, 0.05) << i;
    }
}

TEST(SplineDirections, pointsOnAStraightSlopeTakeItsClimb) {
    TSplinePunkte s = pointsAt({{0, 0, 0}, {3, 0.5, 4}, {6, 1.0, 8}, {9, 1.5, 12}});
    s.setDirectionsFromNeighbours();
    const double climb = -std::atan(0.5 / 5.0) / kDeg; // positive Xrot falls ahead
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(s.get(k)->Xrot, climb, 0.0005) << k;
        EXPECT_NEAR(s.get(k)->Yrot, std::atan2(3.0, 4.0) / kDeg, 0.0005) << k;
        // Rounded to 0.001 degrees, as a parameter file stores them well.
        EXPECT_NEAR(s.get(k)->Yrot * 1000, std::round(s.get(k)->Yrot * 1000), 1e-6);
    }
    CollectingMessageSink messages;
    ASSERT_TRUE(s.refine(messages, '.'));
    // The path runs straight through the points: halfway, on the line.
    const auto mid = pathAt(s, 1, 0.5);
    EXPECT_NEAR(mid[0], 4.5, 1e-3);
    EXPECT_NEAR(mid[1], 0.75, 1e-3);
    EXPECT_NEAR(mid[2], 6.0, 1e-3);
}

TEST(SplineDirections, pointsWithoutAHorizontalDirectionKeepTheirRotation) {
    TSplinePunkte s = pointsAt({{0, 0, 0}, {0, 5, 0}});
    s.get(0)->Yrot = 33.0;
    EXPECT_EQ(s.setDirectionsFromNeighbours(), 0); // the caller can say that none was turned
    EXPECT_EQ(s.get(0)->Yrot, 33.0);
    TSplinePunkte one = pointsAt({{1, 2, 3}});
    EXPECT_EQ(one.setDirectionsFromNeighbours(), 0);
    EXPECT_EQ(one.get(0)->Yrot, 0.0);
    // The middle point's neighbours stand above each other; both ends have a direction.
    TSplinePunkte three = pointsAt({{0, 0, 0}, {5, 0, 0}, {0, 3, 0}});
    three.get(1)->Yrot = 12.0;
    EXPECT_EQ(three.setDirectionsFromNeighbours(), 2);
    EXPECT_EQ(three.get(1)->Yrot, 12.0);
}

// The bundled country road, its rotations cleared and recomputed: how far its path moves.
TEST(SplineDirections, theCountryRoadsPathStaysCloseToTheEditorsRotations) {
    TSplinePunkte original;
    original.importFromI3d(test::examplesDir() / "landstrasse-splines.i3d");
    TSplinePunkte recomputed = original;
    for (int i = 0; i < recomputed.count(); ++i) recomputed.get(i)->Xrot = recomputed.get(i)->Yrot = 0.0;
    recomputed.setDirectionsFromNeighbours();
    CollectingMessageSink messages;
    ASSERT_TRUE(original.refine(messages, ','));
    ASSERT_TRUE(recomputed.refine(messages, ','));
    double worst = 0.0;
    for (int i = 0; i + 1 < original.count(); ++i) {
        for (int k = 0; k <= 20; ++k) {
            const auto a = pathAt(original, i, k / 20.0);
            const auto b = pathAt(recomputed, i, k / 20.0);
            worst = std::max(worst, std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]));
        }
    }
    RecordProperty("worstDeviationMetres", std::to_string(worst));
    EXPECT_LT(worst, 0.05);
}

} // namespace
} // namespace trassolin
