#include "uFuellFlaeche/fuell_flaeche.h"

#include "settings/parameter_file.h"
#include "uGlobal/errors.h"
#include "uGlobal/rand_punkte.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace trassolin {
namespace {

constexpr double kDeg = std::numbers::pi / 180;
constexpr double kRoadWidth = 7.0;

// An enabled profile of the given segments (length m, angle in degrees).
TRandPunkte profile(bool rightSide, const std::vector<std::pair<double, double>>& segments) {
    std::vector<test::ProfileSegment> shape;
    for (const auto& [length, angle] : segments) shape.push_back({length, angle});
    return test::profileOf(rightSide, shape);
}

TFuellFlaeche fillOf(const std::vector<std::pair<double, double>>& right,
                     const std::vector<std::pair<double, double>>& left) {
    TFuellFlaeche fill;
    fill.buildOutline(profile(true, right), profile(false, left), kRoadWidth);
    return fill;
}

// Both profiles: one segment of 1 m falling at 45 degrees.
TFuellFlaeche chamferedFill() {
    return fillOf({{1.0, -45.0}}, {{1.0, -45.0}});
}

void setOutline(TFuellFlaeche& fill, const std::vector<std::pair<double, double>>& xz) {
    fill.clear();
    for (const auto& [x, z] : xz) {
        TPunkt* p = fill.outline().get(fill.outline().add());
        p->x = x;
        p->z = z;
    }
}

// Twice the signed area in the fill plane; positive for a counter-clockwise turn in (x, z).
double signedArea2(const TPunkt& a, const TPunkt& b, const TPunkt& c) {
    return (b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x);
}

double outlineArea(const TPunkteSammlung& outline) {
    double sum = 0.0;
    const auto& pts = outline.points();
    for (std::size_t k = 0; k < pts.size(); ++k) {
        const TPunkt& a = pts[k];
        const TPunkt& b = pts[(k + 1) % pts.size()];
        sum += a.x * b.z - b.x * a.z;
    }
    return std::fabs(sum) / 2;
}

TEST(TFuellFlaeche, outlineRunsOutAlongTheRightProfileAndBackAlongTheLeft) {
    TFuellFlaeche fill;
    fill.buildOutline(profile(true, {{2.0, 0.0}}), profile(false, {{1.0, 0.0}, {1.0, -90.0}}), 4.0);
    // A rebuild replaces the previous run's outline.
    fill.buildOutline(profile(true, {{1.0, -45.0}}), profile(false, {{1.0, -45.0}}), kRoadWidth);
    const double d = std::sqrt(0.5);
    const std::vector<std::pair<double, double>> expected{
        {-3.5, 0.0}, {-3.5 - d, -d}, {3.5 + d, -d}, {3.5, 0.0}};
    ASSERT_EQ(fill.outline().count(), 4);
    for (int k = 0; k < 4; ++k) {
        const TPunkt& p = *fill.outline().get(k);
        EXPECT_NEAR(p.x, expected[static_cast<std::size_t>(k)].first, 1e-12) << k;
        EXPECT_NEAR(p.y, 0.0, 1e-15) << k;
        EXPECT_NEAR(p.z, expected[static_cast<std::size_t>(k)].second, 1e-12) << k;
        EXPECT_EQ(p.index, k);
    }
}

// Corners 1 and 2 tie (1.2164 each, corners 0 and 3 rank 1.0337); the partitioning leaves
// corner 1 last. A stable sort would clip corner 2.
TEST(TFuellFlaeche, chamferedSectionClipsCornerOneFirstOnBothFaces) {
    TFuellFlaeche fill = chamferedFill();
    CollectingMessageSink messages;

    std::vector<Triangle> start;
    EXPECT_EQ(fill.triangulate(start, 0, true, messages), 2);
    EXPECT_EQ(start, (std::vector<Triangle>{{1, 0, 2}, {0, 3, 2}}));

    std::vector<Triangle> end{{9, 9, 9}};
    EXPECT_EQ(fill.triangulate(end, 0, false, messages), 2);
    EXPECT_EQ(end, (std::vector<Triangle>{{9, 9, 9}, {1, 2, 0}, {0, 2, 3}}));

    std::vector<Triangle> shifted;
    fill.triangulate(shifted, 40, false, messages);
    EXPECT_EQ(shifted, (std::vector<Triangle>{{41, 42, 40}, {40, 42, 43}}));
    EXPECT_TRUE(messages.messages.empty());
}

// A rectangle: all four corners tie. The partitioning leaves corner 1 last, where a stable
// sort would clip corner 3 and a scan for the first maximum corner 0.
TEST(TFuellFlaeche, rectangularSectionClipsTheCornerThePartitioningLeavesLast) {
    TFuellFlaeche fill = fillOf({{1.0, -90.0}}, {{1.0, -90.0}});
    CollectingMessageSink messages;
    std::vector<Triangle> triangles;
    fill.triangulate(triangles, 0, false, messages);
    EXPECT_EQ(triangles, (std::vector<Triangle>{{1, 2, 0}, {0, 2, 3}}));
}

// Both faces of the fill: every triangle wound with the outline (the end face) or against it
// (the start face), and together they cover the outline exactly once (shoelace area).
void expectFacesTileTheOutline(TFuellFlaeche& fill, const std::string& what) {
    const TPunkteSammlung& outline = fill.outline();
    const int n = outline.count();
    double signedOutline = 0.0;
    for (int k = 0; k < n; ++k) {
        const TPunkt& a = *outline.get(k);
        const TPunkt& b = *outline.get((k + 1) % n);
        signedOutline += (a.x * b.z - b.x * a.z) / 2;
    }
    ASSERT_GT(signedOutline, 0.0) << what << ": the outline must run counter-clockwise";
    for (const bool reversed : {true, false}) {
        CollectingMessageSink messages;
        std::vector<Triangle> triangles;
        ASSERT_EQ(fill.triangulate(triangles, 0, reversed, messages), n - 2) << what;
        double covered = 0.0;
        for (const Triangle& t : triangles) {
            double area = signedArea2(*outline.get(t.a), *outline.get(t.b), *outline.get(t.c)) / 2;
            if (reversed) area = -area;
            EXPECT_GE(area, -1e-9 * signedOutline) << what << (reversed ? ", start" : ", end")
                                                   << " face: a triangle turned inside out";
            covered += area;
        }
        EXPECT_NEAR(covered, signedOutline, 1e-9 * signedOutline) << what;
        EXPECT_TRUE(messages.messages.empty()) << what;
    }
}

TEST(TFuellFlaeche, theCountryRoadsDitchesAreClosedBelowTheirDeepestPoint) {
    ParameterSet set;
    CollectingMessageSink messages;
    loadParameterFile(test::examplesDir() / "landstrasse.ini", set, messages);
    TFuellFlaeche fill;
    fill.buildOutline(set.rechterRand, set.linkerRand, 6.5);
    const int profilePoints = set.rechterRand.count() + set.linkerRand.count();
    ASSERT_EQ(fill.outline().count(), profilePoints + 2);
    double lowest = 0.0;
    for (const TPunkt& p : fill.outline().points()) lowest = std::min(lowest, p.z);
    const TPunkt& base = *fill.outline().get(set.rechterRand.count());
    EXPECT_EQ(base.z, lowest);
    EXPECT_EQ(base.x, fill.outline().get(set.rechterRand.count() - 1)->x);
    expectFacesTileTheOutline(fill, "ditches");
}

TEST(TFuellFlaeche, kerbsAndFlatVergesAreClosedBelowTheRoad) {
    // Up 0.15 m, a 1.5 m pavement, down 0.1 m: the outer ends stand above the road edges.
    TFuellFlaeche kerb = fillOf({{0.15, 90.0}, {1.5, 0.0}, {0.1, -90.0}},
                                {{0.15, 90.0}, {1.5, 0.0}, {0.1, -90.0}});
    ASSERT_EQ(kerb.outline().count(), 8 + 2);
    EXPECT_NEAR(kerb.outline().get(4)->z, -0.1, 1e-12);
    expectFacesTileTheOutline(kerb, "kerb");
    // Down past the road's level: the body below the road closes along the outer ends.
    TFuellFlaeche deepKerb = fillOf({{0.15, 90.0}, {1.5, 0.0}, {0.3, -90.0}},
                                    {{0.15, 90.0}, {1.5, 0.0}, {0.3, -90.0}});
    ASSERT_EQ(deepKerb.outline().count(), 8);
    expectFacesTileTheOutline(deepKerb, "deep kerb");

    // On the closing line is not above it: a flat pair gets the base as well.
    TFuellFlaeche flat = fillOf({{2.0, 0.0}}, {{2.0, 0.0}});
    ASSERT_EQ(flat.outline().count(), 6);
    EXPECT_EQ(flat.outline().get(2)->z, -0.1);
    EXPECT_EQ(flat.outline().get(2)->x, flat.outline().get(1)->x);
    EXPECT_EQ(flat.outline().get(3)->x, flat.outline().get(4)->x);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(flat.outline().get(k)->index, k);
    expectFacesTileTheOutline(flat, "flat");

    // Slopes falling away keep the straight closing line and their triangles.
    EXPECT_EQ(chamferedFill().outline().count(), 4);
}

TEST(TFuellFlaeche, randomProfilePairsGiveFacesThatTileTheirOutline) {
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> width(0.01, 5.0), angle(-80.0, 80.0), road(2.0, 12.0);
    std::uniform_int_distribution<int> segments(1, 6);
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<std::pair<double, double>> right, left;
        for (auto* side : {&right, &left}) {
            const int k = segments(random);
            for (int i = 0; i < k; ++i) side->emplace_back(width(random), angle(random));
        }
        TFuellFlaeche fill;
        fill.buildOutline(profile(true, right), profile(false, left), road(random));
        expectFacesTileTheOutline(fill, "trial " + std::to_string(trial));
        if (testing::Test::HasFailure()) break;
    }
}

struct TextureCase {
    bool swap;
    std::vector<std::pair<double, double>> uv; // R0, R1, L1, L0
};

class FillTexture : public testing::TestWithParam<TextureCase> {};

TEST_P(FillTexture, mapsTheOffsetFromTheCentroidPerTextureRepeat) {
    TFuellFlaeche fill = chamferedFill();
    fill.swap = GetParam().swap;
    CollectingMessageSink messages;
    std::vector<Triangle> triangles;
    fill.triangulate(triangles, 0, true, messages);
    EXPECT_NEAR(fill.outline().centroid().z, -std::sqrt(0.5) / 2, 1e-12);
    for (int k = 0; k < 4; ++k) {
        const auto& [u, v] = GetParam().uv[static_cast<std::size_t>(k)];
        EXPECT_NEAR(fill.outline().get(k)->u, u, 1e-4) << k;
        EXPECT_NEAR(fill.outline().get(k)->v, v, 1e-4) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    TFuellFlaeche, FillTexture,
    testing::Values(
        TextureCase{false, {{0.7, -0.0707}, {0.8414, 0.0707}, {-0.8414, 0.0707}, {-0.7, -0.0707}}},
        TextureCase{true, {{-0.0707, 0.7}, {0.0707, 0.8414}, {0.0707, -0.8414}, {-0.0707, -0.7}}}),
    [](const auto& p) { return std::string(p.param.swap ? "swapped" : "unswapped"); });

TEST(TFuellFlaeche, fivePointSectionGivesThreeTrianglesCoveringItOnce) {
    TFuellFlaeche fill = fillOf({{1.0, -45.0}}, {{1.0, -30.0}, {2.0, -80.0}});
    ASSERT_EQ(fill.outline().count(), 5);
    CollectingMessageSink messages;

    std::vector<Triangle> start, end;
    EXPECT_EQ(fill.triangulate(start, 100, true, messages), 3);
    EXPECT_EQ(fill.triangulate(end, 100, false, messages), 3);
    ASSERT_EQ(start.size(), 3u);
    ASSERT_EQ(end.size(), 3u);

    double covered = 0.0;
    for (std::size_t t = 0; t < 3; ++t) {
        // Same clips on both faces, only the winding turned.
        EXPECT_EQ(start[t], (Triangle{end[t].a, end[t].c, end[t].b}));
        const auto corner = [&](int index) -> const TPunkt& {
            EXPECT_GE(index, 100);
            EXPECT_LT(index, 105);
            return *fill.outline().get(index - 100);
        };
        const double area2 = signedArea2(corner(end[t].a), corner(end[t].b), corner(end[t].c));
        // The outline runs counter-clockwise in (x, z); the end face's triangles turn with it.
        EXPECT_GT(area2, 0.0) << "end face triangle " << t << " turns the wrong way";
        covered += area2 / 2;
    }
    EXPECT_NEAR(covered, outlineArea(fill.outline()), 1e-9);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(TFuellFlaeche, originOnlyProfilesGiveNoTriangleButTextureCoordinates) {
    TFuellFlaeche fill = fillOf({}, {});
    ASSERT_EQ(fill.outline().count(), 2);
    CollectingMessageSink messages;
    std::vector<Triangle> triangles;
    EXPECT_EQ(fill.triangulate(triangles, 0, true, messages), 0);
    EXPECT_TRUE(triangles.empty());
    EXPECT_NEAR(fill.outline().get(0)->u, 0.7, 1e-12);
    EXPECT_NEAR(fill.outline().get(1)->u, -0.7, 1e-12);

    TFuellFlaeche empty;
    EXPECT_EQ(empty.triangulate(triangles, 0, false, messages), 0);
    EXPECT_TRUE(triangles.empty());
}

struct FailureCase {
    std::string name;
    std::vector<std::pair<double, double>> outline; // x, z in the fill plane
    double width, height;
    bool swap;
    const char* message;
    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class FillFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(FillFailure, stopsWithAFloatingPointErrorBeforeAppendingAnything) {
    const FailureCase& c = GetParam();
    TFuellFlaeche fill;
    setOutline(fill, c.outline);
    fill.textureWidth = c.width, fill.textureHeight = c.height, fill.swap = c.swap;
    CollectingMessageSink messages;
    std::vector<Triangle> triangles;
    try {
        fill.triangulate(triangles, 0, false, messages);
        FAIL() << "no error";
    } catch (const FloatingPointError& e) {
        EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_TRUE(triangles.empty());
    for (const TPunkt& p : fill.outline().points()) {
        EXPECT_TRUE(std::isfinite(p.u) && std::isfinite(p.v));
    }
}

// The road line alone: centroid at the origin, offsets (+-3.5, 0).
const std::vector<std::pair<double, double>> kRoadLine{{-3.5, 0.0}, {3.5, 0.0}};

INSTANTIATE_TEST_SUITE_P(
    TFuellFlaeche, FillFailure,
    testing::Values(
        FailureCase{"zeroWidth", kRoadLine, 0.0, 5.0, false, kFloatDivisionByZero},
        FailureCase{"zeroHeightOverNoOffset", kRoadLine, 5.0, 0.0, false, kInvalidFloatOperation},
        FailureCase{"zeroWidthSwapped", kRoadLine, 0.0, 5.0, true, kInvalidFloatOperation},
        FailureCase{"zeroHeightSwapped", kRoadLine, 5.0, 0.0, true, kFloatDivisionByZero},
        // Corner 1 goes out and straight back: its neighbours meet, its edges do not vanish.
        FailureCase{"neighboursCoincide", {{-3.5, 0.0}, {-4.5, -1.0}, {-3.5, 0.0}, {3.5, 0.0}},
                    5.0, 5.0, false, kFloatDivisionByZero},
        // Corner 1 and both its neighbours on one spot.
        FailureCase{"cornerAndNeighboursCoincide", {{-3.5, 0.0}, {-3.5, 0.0}, {-3.5, 0.0}, {3.5, 0.0}},
                    5.0, 5.0, false, kInvalidFloatOperation}),
    [](const testing::TestParamInfo<FailureCase>& param) { return param.param.name; });

std::vector<int> cornersAfterSort(const std::vector<double>& keys) {
    std::vector<TFFrec> records;
    for (std::size_t k = 0; k < keys.size(); ++k)
        records.push_back({static_cast<int>(k), keys[k]});
    sortCornerRecords(records, 0, static_cast<int>(records.size()) - 1);
    std::vector<int> corners;
    for (const TFFrec& r : records)
        corners.push_back(r.corner);
    return corners;
}

struct SortCase {
    std::vector<double> keys;
    std::vector<int> corners;
};

class CornerRecordSort : public testing::TestWithParam<SortCase> {};

TEST_P(CornerRecordSort, leavesTiesWhereThePartitioningPutsThem) {
    EXPECT_EQ(cornersAfterSort(GetParam().keys), GetParam().corners);
}

INSTANTIATE_TEST_SUITE_P(
    CornerRecordOrder, CornerRecordSort,
    testing::Values(SortCase{{1.0337, 1.2164, 1.2164, 1.0337}, {3, 0, 2, 1}},
                    SortCase{{2.0, 2.0, 2.0, 2.0}, {2, 3, 0, 1}},
                    // Keys closer than 0.01 tie and get exchanged; farther ones keep order.
                    SortCase{{1.0, 1.0099}, {1, 0}}, SortCase{{1.0099, 1.0}, {1, 0}},
                    SortCase{{1.0, 1.011}, {0, 1}},
                    // Distinct keys sort plainly ascending, signs included.
                    SortCase{{1.5, -3.0, 0.0, 7.25, -1.1, 2.0}, {1, 4, 2, 0, 5, 3}}),
    [](const auto& p) {
        std::string name = "keys";
        for (double key : p.param.keys)
            name += "_" + test::nameOf(key);
        return name;
    });

} // namespace
} // namespace trassolin
