#include "uGlobal/punkt.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <tuple>

namespace trassolin {
namespace {

constexpr double kEps = 1e-12;
constexpr double kHalfPi = std::numbers::pi / 2;

void expectPosition(const TPunkt& p, double x, double y, double z) {
    EXPECT_NEAR(p.x, x, kEps);
    EXPECT_NEAR(p.y, y, kEps);
    EXPECT_NEAR(p.z, z, kEps);
}

void expectNormal(const TPunkt& p, double x, double y, double z) {
    EXPECT_NEAR(p.nx, x, kEps);
    EXPECT_NEAR(p.ny, y, kEps);
    EXPECT_NEAR(p.nz, z, kEps);
}

TEST(TPunkt, newAndResetPointsSitAtTheOriginPointingUp) {
    TPunkt reset{7, 1, 2, 3, 0.5, 0.5, 0.5, 0.25, 0.75, 0.1, 0.2, 0.3};
    reset.resetPose(); // keeps texture coordinates and index
    for (const auto& [p, index, u, v] : {std::tuple{TPunkt{}, 0, 0.0, 0.0}, {reset, 7, 0.25, 0.75}}) {
        expectPosition(p, 0, 0, 0);
        expectNormal(p, 0, 1, 0);
        EXPECT_EQ((std::array{p.xrot, p.yrot, p.zrot}), (std::array{0.0, 0.0, 0.0}));
        EXPECT_EQ(p.index, index);
        EXPECT_EQ(p.u, u);
        EXPECT_EQ(p.v, v);
    }
}

TEST(TPunkt, differenceTouchesOnlyPositionAndRotations) {
    const TPunkt a{0, 5, 6, 7, 0, 1, 0, 0, 0, 0.5, 0.25, -0.5};
    const TPunkt b{0, 1, 2, 3, 0, 1, 0, 0, 0, 0.25, 0.5, 0.5};
    TPunkt r{9, 0, 0, 0, 0.3, 0.4, 0.5, 0.6, 0.7, 0, 0, 0};
    a.difference(b, r);
    expectPosition(r, 4, 4, 4);
    EXPECT_DOUBLE_EQ(r.xrot, 0.25);
    EXPECT_DOUBLE_EQ(r.yrot, -0.25);
    EXPECT_DOUBLE_EQ(r.zrot, -1.0);
    expectNormal(r, 0.3, 0.4, 0.5);
    EXPECT_EQ(r.u, 0.6);
    EXPECT_EQ(r.v, 0.7);
    EXPECT_EQ(r.index, 9);
}

TEST(TPunkt, lengthsMeasureInSpaceAndInThePlan) {
    TPunkt p;
    p.x = 3, p.y = 12, p.z = 4;
    EXPECT_DOUBLE_EQ(p.length(), 13.0);
    EXPECT_DOUBLE_EQ(p.horizontalLength(), 5.0);
}

TEST(TPunkt, rotateAboutYTurnsPlusZTowardsMinusX) {
    TPunkt p;
    p.z = 1;
    p.rotateY(kHalfPi);
    expectPosition(p, -1, 0, 0);
    EXPECT_DOUBLE_EQ(p.yrot, kHalfPi);

    TPunkt q;
    q.x = 1;
    q.nx = 1;
    q.ny = 0;
    q.rotateY(kHalfPi);
    expectPosition(q, 0, 0, 1);
    expectNormal(q, 0, 0, 1);
}

TEST(TPunkt, rotateAboutXAndZFollowTheRightHandRule) {
    TPunkt p;
    p.x = 1;
    p.rotateZ(kHalfPi);
    expectPosition(p, 0, 1, 0);
    expectNormal(p, -1, 0, 0);
    EXPECT_DOUBLE_EQ(p.zrot, kHalfPi);

    TPunkt q;
    q.y = 1;
    q.rotateX(kHalfPi);
    expectPosition(q, 0, 0, 1);
    expectNormal(q, 0, 0, 1);
    EXPECT_DOUBLE_EQ(q.xrot, kHalfPi);
}

TEST(TPunkt, rotationsAccumulateTheirAngles) {
    TPunkt p;
    p.rotateY(0.5);
    p.rotateY(-0.25);
    p.rotateX(0.1);
    EXPECT_DOUBLE_EQ(p.yrot, 0.25);
    EXPECT_DOUBLE_EQ(p.xrot, 0.1);
}

TEST(TPunkt, normalFromRotations) {
    struct Case {
        double xrot, yrot, zrot, nx, ny, nz;
    };
    const double a = 0.3;
    const Case cases[] = {
        {0, 0, 0, 0, 1, 0},
        {0, 0, kHalfPi, -1, 0, 0},
        {a, 0, 0, 0, std::cos(a), -std::sin(a)}, // leans back against a climb
        {0, 1.0, 0, 0, 1, 0},                    // heading alone keeps it vertical
        // bank left, then heading a quarter turn: the lean follows the heading (+Z -> -X)
        {0, kHalfPi, kHalfPi, 0, 0, -1},
    };
    for (const auto& c : cases) {
        TPunkt p;
        p.nx = p.ny = p.nz = 9;
        p.xrot = c.xrot;
        p.yrot = c.yrot;
        p.zrot = c.zrot;
        p.normalFromRotations();
        expectNormal(p, c.nx, c.ny, c.nz);
        EXPECT_NEAR(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz, 1.0, kEps);
    }
}

TEST(TPunkt, lateralOffsetFollowsHeadingAndBankButNotClimb) {
    TPunkt p;
    p.offsetLateral(2);
    expectPosition(p, 2, 0, 0);

    TPunkt climbing;
    climbing.xrot = 0.4;
    climbing.offsetLateral(-1.5);
    expectPosition(climbing, -1.5, 0, 0);

    TPunkt turned; // heading a quarter turn: local left (+X) becomes world +Z
    turned.yrot = kHalfPi;
    turned.offsetLateral(3);
    expectPosition(turned, 0, 0, 3);

    TPunkt banked; // banked by 30 degrees: the left side rises
    banked.zrot = std::numbers::pi / 6;
    banked.offsetLateral(2);
    expectPosition(banked, std::sqrt(3.0), 1, 0);
}

TEST(HorizontalCross, givesTheSideSeenFromAbove) {
    TPunkt a, b;
    a.z = 1;
    b.x = 1;
    EXPECT_DOUBLE_EQ(horizontalCross(a, b), 1.0);
    EXPECT_DOUBLE_EQ(horizontalCross(b, a), -1.0);
    EXPECT_DOUBLE_EQ(horizontalCross(a, a), 0.0);
}

TEST(TPunkteSammlung, addGetAndEraseFollowTheIndexRules) {
    TPunkteSammlung list;
    EXPECT_EQ(list.add(), 0);
    EXPECT_EQ(list.add(), 1);
    list.get(0)->x = 10;
    list.get(1)->x = 11;
    EXPECT_EQ(list.get(2), nullptr);
    EXPECT_THROW(list.get(-1), std::out_of_range);
    list.erase(-1);
    list.erase(2);
    EXPECT_EQ(list.count(), 2);
    list.erase(0);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.get(0)->x, 11);
}

TEST(TPunkteSammlung, centroidAveragesPositionsOnly) {
    TPunkteSammlung list;
    list.computeCentroid();
    expectPosition(list.centroid(), 0, 0, 0); // an empty list stays at the origin
    const double coords[][3] = {{0, 0, 0}, {3, 0, 0}, {0, 3, 6}};
    for (const auto& c : coords) {
        TPunkt& p = *list.get(list.add());
        p.x = c[0], p.y = c[1], p.z = c[2], p.nx = 1;
    }
    list.computeCentroid();
    expectPosition(list.centroid(), 1, 1, 2);
    expectNormal(list.centroid(), 0, 1, 0);
}

} // namespace
} // namespace trassolin
