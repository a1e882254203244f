#include "uSplinePkts/spline_punkte.h"

#include "uGlobal/angle_range.h"
#include "uGlobal/errors.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace trassolin {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kEps = 1e-12;

double rad(double degrees) { return degrees * kPi / 180; }

TSplinePkt at(double x, double y, double z, double xrot = 0, double yrot = 0, double zrot = 0) {
    TSplinePkt p;
    p.X = x, p.Y = y, p.Z = z, p.Xrot = xrot, p.Yrot = yrot, p.Zrot = zrot;
    return p;
}

struct Refined {
    TSplinePunkte set;
    CollectingMessageSink messages;
    bool ok;
    explicit Refined(std::vector<TSplinePkt> points, char separator = ',') {
        set.assignPoints(std::move(points));
        ok = set.refine(messages, separator);
    }
    const TSplinePkt& operator[](int i) const { return set.points()[static_cast<std::size_t>(i)]; }
    // The pose of segment i at t placed in the world, as the generation run places it.
    TPunkt world(int i, double t) const {
        TPunkt p;
        set.evaluate(i, p, t);
        p.rotateY((*this)[i].chordHeading);
        p.x += (*this)[i].X, p.y += (*this)[i].Y, p.z += (*this)[i].Z;
        return p;
    }
};

TEST(Refine, straightAndClimbingSegmentsGiveTheTextbookCubics) {
    const Refined level({at(0, 0, 0), at(0, 0, 10)});
    ASSERT_TRUE(level.ok);
    for (double c : {level[0].A, level[0].B, level[0].C, level[0].D, level[0].E, level[0].F}) {
        EXPECT_EQ(c, 0.0);
    }
    TPunkt p;
    level.set.evaluate(0, p, 0.5);
    EXPECT_EQ(p.z, 5.0);
    EXPECT_EQ(p.x + p.y + p.xrot + p.yrot + p.zrot, 0.0);

    const Refined climb({at(0, 0, 0), at(0, 2, 10)});
    EXPECT_NEAR(climb[0].D, -0.004, kEps);
    EXPECT_NEAR(climb[0].E, 0.06, kEps);
    climb.set.evaluate(0, p, 0.5);
    EXPECT_NEAR(p.y, 1.0, kEps);
    EXPECT_TRUE(level.messages.messages.empty() && climb.messages.messages.empty());
}

struct ChordCase {
    double dx, dz, heading;
};
class ChordHeading : public testing::TestWithParam<ChordCase> {};

// Headings set along the chord pass the angle check in every direction; the segment must
// then end on the second point.
TEST_P(ChordHeading, pointsTheLocalZAxisAlongTheChord) {
    const auto [dx, dz, heading] = GetParam();
    const double yrot = -heading * 180 / kPi;
    const Refined r({at(3, 1, -2, 0, yrot), at(3 + dx, 1, -2 + dz, 0, yrot)});
    ASSERT_TRUE(r.ok);
    EXPECT_NEAR(r[0].chordHeading, heading, kEps);
    EXPECT_NEAR(r[0].startAngle, 0.0, kEps);
    const TPunkt end = r.world(0, 1.0);
    EXPECT_NEAR(end.x, 3 + dx, 1e-9);
    EXPECT_NEAR(end.z, -2 + dz, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    QuadrantsAndAxes, ChordHeading,
    testing::Values(ChordCase{0, 10, 0}, ChordCase{10, 0, -kPi / 2}, ChordCase{-10, 0, kPi / 2},
                    ChordCase{0, -10, kPi}, ChordCase{10, 10, -kPi / 4},
                    ChordCase{-10, 10, kPi / 4}, ChordCase{10, -10, 5 * kPi / 4},
                    ChordCase{-10, -10, 3 * kPi / 4}, ChordCase{3, -40, kPi + std::atan(0.075)}),
    [](const auto& p) {
        return "dx_" + test::nameOf(p.param.dx) + "_dz_" + test::nameOf(p.param.dz);
    });

// A bend that climbs and banks and leaves and enters off the chord: the cubics must meet both
// control points with their headings, slopes and banks.
TEST(Refine, curvedClimbingSegmentMeetsBothPoses) {
    const Refined r({at(1, 2, 3, -5, 200, 170), at(8, 4, -12, 3, 170, -170)});
    ASSERT_TRUE(r.ok);
    const TSplinePkt& P = r[0];
    const TPunkt start = r.world(0, 0.0), end = r.world(0, 1.0);
    EXPECT_NEAR(start.x, 1, kEps);
    EXPECT_NEAR(start.y, 2, kEps);
    EXPECT_NEAR(start.z, 3, kEps);
    EXPECT_NEAR(std::remainder(start.yrot + rad(200), 2 * kPi), 0.0, kEps);
    EXPECT_NEAR(end.x, 8, 1e-9);
    EXPECT_NEAR(end.y, 4, 1e-9);
    EXPECT_NEAR(end.z, -12, 1e-9);
    EXPECT_NEAR(std::remainder(end.yrot + rad(170), 2 * kPi), 0.0, 1e-9);
    EXPECT_NEAR(end.zrot, rad(190), kEps); // the bank turns 20 degrees, not -340

    const double d = P.chordLength;
    const auto lateral = [&](double s) { return (3 * P.A * s + 2 * P.B) * s + P.C; };
    const auto height = [&](double s) { return (3 * P.D * s + 2 * P.E) * s + P.F; };
    EXPECT_NEAR(lateral(0), std::tan(P.startAngle), kEps);
    EXPECT_NEAR(lateral(d), std::tan(P.endAngle), 1e-9);
    // Climb of the point seen along the chord (positive Xrot falls ahead).
    EXPECT_NEAR(height(0), std::tan(rad(5)) / std::cos(P.startAngle), kEps);
    EXPECT_NEAR(height(d), std::tan(rad(-3)) / std::cos(P.endAngle), 1e-9);
}

struct Normalised {
    double yrot, xrot, zrotP, zrotQ;
    double yrotAfter, xrotAfter, bankChange;
};
class AngleNormalisation : public testing::TestWithParam<Normalised> {};

TEST_P(AngleNormalisation, storesTheNormalisedAnglesBack) {
    const Normalised c = GetParam();
    const Refined r({at(0, 0, 0, c.xrot, c.yrot, c.zrotP), at(0, 0, 10, 0, 0, c.zrotQ)});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r[0].Yrot, c.yrotAfter);
    EXPECT_EQ(r[0].Xrot, c.xrotAfter);
    EXPECT_EQ(r[0].bankChange, c.bankChange);
}

// 1E20 is 280 (mod 360); a loop that steps by 360 would never get there.
INSTANTIATE_TEST_SUITE_P(ByTurns, AngleNormalisation,
                         testing::Values(Normalised{300, -100, 170, -170, -60, 260, 20},
                                         Normalised{-420, 630, -170, 170, -60, 270, -20},
                                         Normalised{720, -90, 0, 540, 0, -90, 180},
                                         Normalised{-720, 10, 0, -540, 0, 10, -180},
                                         Normalised{360, 1E20, 1E20, -1E20, 0, -80, 160}),
                         [](const auto& p) { return "yrot_" + test::nameOf(p.param.yrot); });

TEST(AngleRange, reducesHugeValuesWithoutChangingOrdinaryOnes) {
    for (double v : {-1000.3, -90.0000001, 270.0, 1234.567, 1474559.9}) {
        double loop = v;
        while (loop < -90) loop += 360;
        while (loop > 270) loop -= 360;
        EXPECT_EQ(raiseThenLower(v, -90, 270, 360), loop) << v;
    }
    EXPECT_EQ(lowerThenRaise(-1E300, -kPi / 2, 3 * kPi / 2, 2 * kPi),
              lowerThenRaise(std::fmod(-1E300, 2 * kPi), -kPi / 2, 3 * kPi / 2, 2 * kPi));
    EXPECT_THROW(raiseThenLower(INFINITY, -90, 270, 360), FloatingPointError);
    EXPECT_THROW(lowerThenRaise(NAN, -180, 180, 360), FloatingPointError);
}

struct DistanceCase {
    double dz;
    char separator;
    const char* warning;
    bool built;
};
class ChordDistance : public testing::TestWithParam<DistanceCase> {};

TEST_P(ChordDistance, warnsBelowOneMetreAndFailsBelowOneDecimetre) {
    const DistanceCase c = GetParam();
    const Refined r({at(0, 0, -20), at(0, 0, 0), at(0, 7, c.dz)}, c.separator);
    EXPECT_EQ(r.ok, c.built);
    EXPECT_EQ(r.messages.messages, (std::vector<Message>{{MessageKind::Warning, c.warning}}));
    EXPECT_EQ(r[0].chordLength, 20.0);
}

INSTANTIATE_TEST_SUITE_P(
    Distances, ChordDistance,
    testing::Values(DistanceCase{0.5, ',', "SplinePunkte 2 und 3 nur 0,5 auseinander!", true},
                    DistanceCase{0.1, '.', "SplinePunkte 2 und 3 nur 0.1 auseinander!", true},
                    DistanceCase{0.05, ',', "SplinePunkte 2 und 3 nur 0,05 auseinander!", false},
                    DistanceCase{0, ',', "SplinePunkte 2 und 3 nur 0 auseinander!", false}),
    [](const auto& p) { return "dz_" + test::nameOf(p.param.dz); });

struct AngleLimitCase {
    double startYrot, endYrot;
    const char* warning; // nullptr: the segment is built
};
class AngleLimit : public testing::TestWithParam<AngleLimitCase> {};

TEST_P(AngleLimit, allowsEightyNineDegreesAndNotMore) {
    const AngleLimitCase c = GetParam();
    const Refined r({at(0, 0, 0, 0, c.startYrot), at(0, 0, 10, 0, c.endYrot)});
    EXPECT_EQ(r.ok, c.warning == nullptr);
    std::vector<Message> expected;
    if (c.warning != nullptr) expected.push_back({MessageKind::Warning, c.warning});
    EXPECT_EQ(r.messages.messages, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Boundary, AngleLimit,
    testing::Values(
        AngleLimitCase{89, -89, nullptr}, AngleLimitCase{449, 271, nullptr},
        AngleLimitCase{89.01, 0,
                       "SplinePunkte 1 - 2: Winkel am Anfang der Verbindungslinie zu gross 89,01"},
        AngleLimitCase{-89.01, 0,
                       "SplinePunkte 1 - 2: Winkel am Anfang der Verbindungslinie zu gross -89,01"},
        AngleLimitCase{0, 90,
                       "SplinePunkte 1 - 2: Winkel am Ende der Verbindungslinie zu gross 90"}),
    [](const auto& p) {
        return "start_" + test::nameOf(p.param.startYrot) + "_end_" + test::nameOf(p.param.endYrot);
    });

TEST(Refine, angleLimitHoldsOffTheAxesAndAgainstTheChord) {
    const double along = std::atan(0.75) * 180 / kPi; // chord (3, 4)
    for (double off : {89.0, -89.0}) {
        EXPECT_TRUE(Refined({at(0, 0, 0, 0, along + off), at(3, 0, 4, 0, along)}).ok) << off;
    }
    const Refined back({at(0, 0, 0, 0, -90), at(10, 0, 0, 0, 90)});
    EXPECT_EQ(back.messages.messages.at(0).text,
              "SplinePunkte 1 - 2: Winkel am Anfang der Verbindungslinie zu gross 180");
}

TEST(Refine, failingSegmentKeepsWhatWasDoneBeforeIt) {
    const Refined r({at(0, 0, 0, 0, 360), at(0, 0, 10, -100, 0), at(0, 0, 20, -100, 450)});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages.messages.at(0).text,
              "SplinePunkte 2 - 3: Winkel am Ende der Verbindungslinie zu gross 90");
    EXPECT_EQ(r[0].Yrot, 0.0);
    EXPECT_EQ(r[1].Xrot, 260.0);  // the completed first segment normalised it
    EXPECT_EQ(r[2].Yrot, 90.0);   // headings are normalised before the check
    EXPECT_EQ(r[2].Xrot, -100.0); // the failing segment never reached the climb
    EXPECT_EQ(r[1].chordLength, 10.0);
}

TEST(Refine, refusesTooFewPointsAndCoordinatesBeyondTheDoubleRange) {
    const Refined single({at(0, 0, 0)});
    EXPECT_FALSE(single.ok);
    EXPECT_EQ(single.messages.messages,
              (std::vector<Message>{{MessageKind::Information,
                                     "Es müssen mindestens zwei SplinePunkte vorhanden sein!"}}));
    try {
        Refined({at(0, 0, 0), at(1E200, 0, 1E200)});
        FAIL() << "no error";
    } catch (const FloatingPointError& e) {
        EXPECT_STREQ(e.what(), kFloatOverflow);
    }
}

} // namespace
} // namespace trassolin
