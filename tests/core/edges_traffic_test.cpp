#include "generation/edges.h"
#include "generation/random_sequence.h"
#include "generation/run.h"
#include "generation/traffic.h"
#include "uGlobal/errors.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace trassolin {
namespace {

// A profile of the origin and `segments` segments of length 1 falling at 45 degrees.
TRandPunkte fallingProfile(bool right, int segments, double textureLength) {
    std::vector<test::ProfileSegment> shape;
    for (int i = 1; i <= segments; ++i) shape.push_back({1.0, -45.0, 0.2 * i});
    TRandPunkte profile = test::profileOf(right, shape);
    profile.textureLength = textureLength;
    return profile;
}

TPunkteSammlung borderAlongZ(std::initializer_list<double> zs) {
    TPunkteSammlung border;
    for (double z : zs) border.get(border.add())->z = z;
    return border;
}


// The strip of `profile` along `border`, with what it reported.
struct Strip {
    MeshLines mesh;
    CollectingMessageSink messages;
    CollectingStatusLog log;
    Strip(const TRandPunkte& profile, std::initializer_list<double> zs) {
        buildEdgeStrip(profile, borderAlongZ(zs), mesh, messages, log);
    }
};

std::vector<double> vOf(const MeshLines& mesh) {
    std::vector<double> out;
    for (const auto& row : test::attributeNumbers(mesh.vertexLines(), "t0")) out.push_back(row[1]);
    return out;
}

std::vector<std::vector<double>> trianglesOf(const MeshLines& mesh) {
    return test::attributeNumbers(mesh.triangleLines(), "vi");
}

TEST(EdgeStrip, joinsTwoSectionsWithTheWindingOfItsSide) {
    struct Case {
        bool right;
        std::vector<std::vector<double>> triangles;
        const char* status;
    };
    for (const Case& c : {Case{true, {{0, 1, 2}, {1, 3, 2}}, "rechter Rand: 4 Vertices, 2 triangles"},
                          Case{false, {{1, 0, 2}, {1, 2, 3}}, "linker Rand: 4 Vertices, 2 triangles"}}) {
        const Strip s(fallingProfile(c.right, 1, 2.0), {0, 4});
        EXPECT_EQ(vOf(s.mesh), (std::vector<double>{-7, -7, -5, -5}));
        EXPECT_EQ(trianglesOf(s.mesh), c.triangles);
        EXPECT_EQ(s.log.lines, std::vector<std::string>{c.status});
        EXPECT_EQ(s.mesh.subsetCount(), 1);
        EXPECT_NE(s.mesh.subsetLines().find("numVertices=\"4\" firstIndex=\"0\" numIndices=\"6\""),
                  std::string::npos);
    }
}

TEST(EdgeStrip, mirrorsAtExactlyPlusAndMinusThreeAndAHalf) {
    const Strip s(fallingProfile(true, 1, 1.0), {0, 10.5, 17.5, 18.5});
    EXPECT_EQ(vOf(s.mesh), (std::vector<double>{-7, -7, 3.5, 3.5, -3.5, -3.5, -2.5, -2.5}));
}

TEST(EdgeStrip, resetWritesASecondSectionExceptAtTheLastBorderPoint) {
    struct Case {
        std::initializer_list<double> zs;
        std::vector<double> v;
    };
    const Case cases[] = {
        {{0, 10.5, 11.5}, {-7, -7, 3.5, 3.5, -6.5, -6.5, -5.5, -5.5}},
        {{0, 10.5}, {-7, -7, 3.5, 3.5}},
    };
    for (const auto& c : cases) {
        auto profile = fallingProfile(true, 1, 1.0);
        profile.resetInsteadOfMirror = true;
        const Strip s(profile, c.zs);
        EXPECT_EQ(vOf(s.mesh), c.v);
        // No triangle joins the two sections at the same border point.
        for (const auto& t : trianglesOf(s.mesh)) {
            const bool touchesFirst = t[0] == 2 || t[1] == 2 || t[2] == 2;
            const bool touchesTwin = t[0] == 4 || t[1] == 4 || t[2] == 4;
            EXPECT_FALSE(touchesFirst && touchesTwin);
        }
    }
}

TEST(EdgeStrip, profileOfTheOriginAloneGivesVerticesButNoTriangles) {
    TRandPunkte profile("rechter Rand", true);
    CollectingMessageSink messages;
    profile.enabled = true;
    profile.resize(1, messages);
    profile.textureLength = 5;
    const Strip s(profile, {0, 1, 2});
    EXPECT_EQ(s.mesh.vertexCount(), 3);
    EXPECT_EQ(s.mesh.triangleCount(), 0);
    EXPECT_EQ(s.log.lines, std::vector<std::string>{"rechter Rand: 3 Vertices, 0 triangles"});
    EXPECT_NE(s.mesh.subsetLines().find("numIndices=\"0\""), std::string::npos);
}

TEST(EdgeStrip, tooFewBorderPointsWarnsAndStopsTheRun) {
    for (bool right : {true, false}) {
        MeshLines mesh;
        CollectingMessageSink messages;
        CollectingStatusLog log;
        EXPECT_THROW(buildEdgeStrip(fallingProfile(right, 1, 2.0), borderAlongZ({0}), mesh,
                                    messages, log),
                     RunStopped);
        EXPECT_EQ(messages.messages,
                  (std::vector<Message>{{MessageKind::Warning, right ? "Zu wenig Punkte am rechten Rand"
                                                                     : "Zu wenig Punkte am linken Rand"}}));
        EXPECT_EQ(mesh.vertexCount(), 0);
        EXPECT_TRUE(log.lines.empty());
    }
}

// `count` border points 1.3 m apart along Z.
TPunkteSammlung borderOf(int count) {
    TPunkteSammlung border;
    for (int i = 0; i < count; ++i) border.get(border.add())->z = 1.3 * i;
    return border;
}

// Both strips after a road of one vertex, built as a run builds them or one after the other
// with buildEdgeStrip, with everything they left behind.
struct BothStrips {
    MeshLines mesh;
    CollectingMessageSink messages;
    CollectingStatusLog log;
    std::string failure;

    BothStrips(const TRandPunkte& right, int rightPoints, const TRandPunkte& left, int leftPoints,
               bool oneByOne) {
        const TPunkteSammlung rightBorder = borderOf(rightPoints), leftBorder = borderOf(leftPoints);
        mesh.writeVertex(TPunkt{});
        mesh.closeSubset();
        try {
            if (oneByOne) {
                buildEdgeStrip(right, rightBorder, mesh, messages, log);
                buildEdgeStrip(left, leftBorder, mesh, messages, log);
            } else {
                buildEdgeStrips(&right, rightBorder, &left, leftBorder, mesh, messages, log);
            }
        } catch (const RunStopped&) {
            failure = "stopped";
        } catch (const TrassolinError& e) {
            failure = e.what();
        }
    }
};

// Long borders, so that the left strip is swept on the helper thread.
TEST(EdgeStrips, giveTheMeshReportAndFailureOfTheRightThenTheLeftStrip) {
    auto resetting = fallingProfile(false, 3, 1.5);
    resetting.resetInsteadOfMirror = true;
    const auto right = fallingProfile(true, 2, 2.0), left = fallingProfile(false, 2, 3.0);
    // 0 m / 0 m at the first border point, and a quotient beyond any double at the second.
    const auto invalid = fallingProfile(true, 1, 0.0), overflowing = fallingProfile(false, 1, 1e-320);
    struct Case {
        const char* name;
        const TRandPunkte &right, &left;
        int rightPoints, leftPoints;
        const char* failure;
    };
    const Case cases[] = {
        {"both built", right, resetting, 1200, 1500, ""},
        {"left fails", right, overflowing, 1200, 1200, "Gleitkommaüberlauf"},
        {"both fail, right first", invalid, overflowing, 1200, 1200, "Ungültige Gleitkommaoperation"},
        {"left too short", right, left, 1200, 1, "stopped"},
        {"right too short", right, left, 1, 1200, "stopped"},
        {"short borders, one thread", right, resetting, 20, 30, ""},
    };
    for (const Case& c : cases) {
        const BothStrips built(c.right, c.rightPoints, c.left, c.leftPoints, false);
        const BothStrips reference(c.right, c.rightPoints, c.left, c.leftPoints, true);
        EXPECT_EQ(built.failure, c.failure) << c.name;
        EXPECT_EQ(built.failure, reference.failure) << c.name;
        EXPECT_EQ(built.log.lines, reference.log.lines) << c.name;
        EXPECT_EQ(built.messages.messages, reference.messages.messages) << c.name;
        // A run that fails throws its mesh away; what a strip had written by then is no matter.
        if (built.failure != "" && built.failure != "stopped") continue;
        EXPECT_EQ(built.mesh.vertexLines(), reference.mesh.vertexLines()) << c.name;
        EXPECT_EQ(built.mesh.triangleLines(), reference.mesh.triangleLines()) << c.name;
        EXPECT_EQ(built.mesh.subsetLines(), reference.mesh.subsetLines()) << c.name;
        EXPECT_EQ(built.mesh.boundingBox().min, reference.mesh.boundingBox().min) << c.name;
        EXPECT_EQ(built.mesh.boundingBox().max, reference.mesh.boundingBox().max) << c.name;
    }
    const auto lines = BothStrips(right, 1200, resetting, 1500, false).log.lines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "rechter Rand: 3600 Vertices, 4796 triangles");
    EXPECT_TRUE(lines[1].starts_with("linker Rand: ") && lines[1].ends_with(", 8994 triangles"))
        << lines[1];
}

TEST(EdgeStrip, aTextureLengthOfZeroStopsWithAFloatingPointError) {
    try {
        Strip(fallingProfile(true, 1, 0.0), {0, 4});
        FAIL();
    } catch (const FloatingPointError& e) {
        EXPECT_STREQ(e.what(), "Ungültige Gleitkommaoperation"); // 0 m / 0 m at the first point
    }
}

TEST(TrafficCurves, sideCurvesSitAtTheirPercentageOfTheWidenedBorderOffset) {
    RunInputs in;
    in.breite = 7;
    in.schleppkurve = 10;
    in.rechtsProzent = 100;
    in.linksProzent = 100;
    RunState state;
    state.middle.emplace();
    state.right.emplace();
    state.left.emplace();
    TPunkt sample;
    addTrafficPoints(in, state, sample, 0.02); // heading grows: the right side widens more
    EXPECT_NEAR(state.middle->head[0].x, 0.0, 1e-12);
    EXPECT_NEAR(state.right->head[0].x, -3.8, 1e-12);
    EXPECT_NEAR(state.left->head[0].x, 3.6, 1e-12);
    addTrafficPoints(in, state, sample, -0.02);
    EXPECT_NEAR(state.right->head[1].x, -3.6, 1e-12);
    EXPECT_NEAR(state.left->head[1].x, 3.8, 1e-12);
}

TEST(TrafficCurves, halfwayCurvesOnAStraightLieAQuarterOfTheWidthAside) {
    RunInputs in;
    in.breite = 7;
    in.schleppkurve = 10; // no widening without curvature
    in.rechtsProzent = 50;
    in.linksProzent = 50;
    RunState state;
    state.right.emplace();
    state.left.emplace();
    TPunkt sample;
    sample.yrot = std::numbers::pi / 2; // heading along world -X: local left is world +Z
    addTrafficPoints(in, state, sample, 0.0);
    EXPECT_NEAR(state.right->head[0].z, -1.75, 1e-12);
    EXPECT_NEAR(state.left->head[0].z, 1.75, 1e-12);
    EXPECT_FALSE(state.middle.has_value());
}

TEST(TrafficCurves, followTheBankOfTheSample) {
    RunInputs in;
    in.breite = 8;
    in.rechtsProzent = 50;
    RunState state;
    state.right.emplace();
    TPunkt sample;
    sample.zrot = std::numbers::pi / 6; // banked 30 degrees: the right side is lower
    addTrafficPoints(in, state, sample, 0.0);
    EXPECT_NEAR(state.right->head[0].y, -1.0, 1e-12);
    EXPECT_NEAR(state.right->head[0].x, -std::sqrt(3.0), 1e-12);
}

TEST(TrafficCurves, shortCurvesArePaddedToFourControlVerticesOnTheirPolyline) {
    auto point = [](double z) {
        TPunkt p;
        p.z = z;
        return p;
    };
    struct Case {
        std::vector<double> in, out;
    };
    const Case cases[] = {
        {{0, 9}, {0, 3, 6, 9}},
        {{0, 6, 8}, {0, 3, 6, 8}},    // the longer first span is halved
        {{0, 2, 8}, {0, 2, 5, 8}},    // the longer second span is halved
        {{0, 2, 4}, {0, 1, 2, 4}},    // equal spans: the first
        {{0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        TrafficCurve curve;
        for (double z : c.in) {
            curve.lines.add(point(z));
            if (curve.head.size() < 4) curve.head.push_back(point(z));
        }
        finishTrafficCurve(curve);
        std::vector<double> zs;
        for (const auto& row : test::attributeNumbers(curve.lines.lines(), "c")) {
            zs.push_back(row[2]);
        }
        EXPECT_EQ(zs, c.out);
    }
}

} // namespace
} // namespace trassolin
