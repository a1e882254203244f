#include "generation/edges.h"
#include "output/document.h"
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

// Border points along Z, each at the station of its z.
BlockList<BorderPoint> borderAlongZ(std::initializer_list<double> zs) {
    BlockList<BorderPoint> border;
    for (double z : zs) border.push_back({0, 0, z, 0, 0, 0, z});
    return border;
}

MeshPart vergePart(const TRandPunkte& profile) {
    return MeshPart(profile.rightSide() ? PartKind::RightVerge : PartKind::LeftVerge, "", 0,
                    static_cast<std::uint32_t>(profile.count()));
}

// The strip of `profile` along `border`, with what it reported.
struct Strip {
    MeshPart mesh;
    CollectingMessageSink messages;
    CollectingStatusLog log;
    Strip(const TRandPunkte& profile, std::initializer_list<double> zs) : mesh(vergePart(profile)) {
        const auto border = borderAlongZ(zs);
        buildEdgeStrip({profile, border, mesh}, messages, log);
    }
};

std::vector<double> vOf(const MeshPart& mesh) {
    std::vector<double> out;
    mesh.vertices().forEach(0, mesh.vertexCount(), [&](const MeshVertex& v) { out.push_back(v.v); });
    return out;
}

std::vector<std::vector<double>> trianglesOf(const MeshPart& mesh) {
    std::vector<std::vector<double>> out;
    mesh.triangles().forEach(0, mesh.triangleCount(), [&](const MeshTriangle& t) {
        out.push_back({double(t.a), double(t.b), double(t.c)});
    });
    return out;
}

// Control vertex k of a curve.
Vec3 at(const std::optional<MeshCurve>& curve, std::size_t k) {
    Vec3 found{};
    curve->controlVertices.forEach(k, k + 1, [&](const Vec3& p) { found = p; });
    return found;
}

std::vector<CrossSection> sectionsOf(const MeshPart& mesh) {
    std::vector<CrossSection> out;
    mesh.sections().forEach(0, mesh.sections().size(),
                            [&](const CrossSection& c) { out.push_back(c); });
    return out;
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
        // One section per border point at its station; the triangles belong to the second.
        const auto sections = sectionsOf(s.mesh);
        ASSERT_EQ(sections.size(), 2u);
        EXPECT_EQ(sections[0].station, 0.0);
        EXPECT_EQ(sections[1].station, 4.0);
        EXPECT_EQ(sections[1].firstVertex, 2u);
        EXPECT_EQ(sections[1].vertexCount, 2u);
        EXPECT_EQ(sections[0].triangleCount, 0u);
        EXPECT_EQ(sections[1].triangleCount, 2u);
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
        // The seam's second row stays in the section of its border point.
        EXPECT_EQ(sectionsOf(s.mesh)[1].vertexCount, c.v.size() > 4 ? 4u : 2u);
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
    EXPECT_EQ(s.mesh.vertexCount(), 3u);
    EXPECT_EQ(s.mesh.triangleCount(), 0u);
    EXPECT_EQ(s.mesh.rowLength(), 1u);
    EXPECT_EQ(s.log.lines, std::vector<std::string>{"rechter Rand: 3 Vertices, 0 triangles"});
}

TEST(EdgeStrip, tooFewBorderPointsWarnsAndStopsTheRun) {
    for (bool right : {true, false}) {
        const TRandPunkte profile = fallingProfile(right, 1, 2.0);
        MeshPart mesh = vergePart(profile);
        CollectingMessageSink messages;
        CollectingStatusLog log;
        const auto border = borderAlongZ({0});
        EXPECT_THROW(buildEdgeStrip({profile, border, mesh}, messages, log), RunStopped);
        EXPECT_EQ(messages.messages,
                  (std::vector<Message>{{MessageKind::Warning, right ? "Zu wenig Punkte am rechten Rand"
                                                                     : "Zu wenig Punkte am linken Rand"}}));
        EXPECT_EQ(mesh.vertexCount(), 0u);
        EXPECT_TRUE(log.lines.empty());
    }
}

// `count` border points 1.3 m apart along Z.
BlockList<BorderPoint> borderOf(int count) {
    BlockList<BorderPoint> border;
    for (int i = 0; i < count; ++i) border.push_back({0, 0, 1.3 * i, 0, 0, 0, 1.3 * i});
    return border;
}

// Both strips, built as a run builds them or one after the other with buildEdgeStrip, with
// everything they left behind: the document's lines of both parts, as the road's first
// vertex makes them count.
struct BothStrips {
    MeshPart rightPart, leftPart;
    CollectingMessageSink messages;
    CollectingStatusLog log;
    std::string failure;

    BothStrips(const TRandPunkte& right, int rightPoints, const TRandPunkte& left, int leftPoints,
               bool oneByOne)
        : rightPart(vergePart(right)), leftPart(vergePart(left)) {
        const auto rightBorder = borderOf(rightPoints), leftBorder = borderOf(leftPoints);
        const EdgeStrip rightStrip{right, rightBorder, rightPart};
        const EdgeStrip leftStrip{left, leftBorder, leftPart};
        try {
            if (oneByOne) {
                buildEdgeStrip(rightStrip, messages, log);
                buildEdgeStrip(leftStrip, messages, log);
            } else {
                buildEdgeStrips(&rightStrip, &leftStrip, messages, log);
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
        for (const auto& [a, b] : {std::pair{&built.rightPart, &reference.rightPart},
                                   std::pair{&built.leftPart, &reference.leftPart}}) {
            EXPECT_EQ(vertexLines(*a), vertexLines(*b)) << c.name;
            EXPECT_EQ(triangleLines(*a, 1), triangleLines(*b, 1)) << c.name;
            EXPECT_EQ(a->sections().size(), b->sections().size()) << c.name;
            EXPECT_EQ(a->bounds().min, b->bounds().min) << c.name;
            EXPECT_EQ(a->bounds().max, b->bounds().max) << c.name;
        }
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
    in.curveMiddle = in.curveRight = in.curveLeft = true;
    TrafficCurves state = startTrafficCurves(in);
    TPunkt sample;
    addTrafficPoints(in, state, sample, 0.02); // heading grows: the right side widens more
    EXPECT_NEAR(at(state.middle, 0)[0], 0.0, 1e-12);
    EXPECT_NEAR(at(state.right, 0)[0], -3.8, 1e-12);
    EXPECT_NEAR(at(state.left, 0)[0], 3.6, 1e-12);
    addTrafficPoints(in, state, sample, -0.02);
    EXPECT_NEAR(at(state.right, 1)[0], -3.6, 1e-12);
    EXPECT_NEAR(at(state.left, 1)[0], 3.8, 1e-12);
}

TEST(TrafficCurves, halfwayCurvesOnAStraightLieAQuarterOfTheWidthAside) {
    RunInputs in;
    in.breite = 7;
    in.schleppkurve = 10; // no widening without curvature
    in.rechtsProzent = 50;
    in.linksProzent = 50;
    in.curveRight = in.curveLeft = true;
    TrafficCurves state = startTrafficCurves(in);
    TPunkt sample;
    sample.yrot = std::numbers::pi / 2; // heading along world -X: local left is world +Z
    addTrafficPoints(in, state, sample, 0.0);
    EXPECT_NEAR(at(state.right, 0)[2], -1.75, 1e-12);
    EXPECT_NEAR(at(state.left, 0)[2], 1.75, 1e-12);
    EXPECT_FALSE(state.middle.has_value());
}

TEST(TrafficCurves, followTheBankOfTheSample) {
    RunInputs in;
    in.breite = 8;
    in.rechtsProzent = 50;
    in.curveRight = true;
    TrafficCurves state = startTrafficCurves(in);
    TPunkt sample;
    sample.zrot = std::numbers::pi / 6; // banked 30 degrees: the right side is lower
    addTrafficPoints(in, state, sample, 0.0);
    EXPECT_NEAR(at(state.right, 0)[1], -1.0, 1e-12);
    EXPECT_NEAR(at(state.right, 0)[0], -std::sqrt(3.0), 1e-12);
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
        MeshCurve curve{CurveKind::Middle, "splineMitte", {}};
        for (double z : c.in) curve.add({point(z).x, point(z).y, point(z).z});
        finishTrafficCurve(curve);
        std::vector<double> zs;
        for (const auto& row : test::attributeNumbers(controlVertexLines(curve), "c")) {
            zs.push_back(row[2]);
        }
        EXPECT_EQ(zs, c.out);
    }
}

} // namespace
} // namespace trassolin
