#include "output/document.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"
#include "uSplinePkts/spline_punkte.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <numeric>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace trassolin {
namespace {

using test::crlf;

const std::string kOpening = crlf("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n") +
                             "<i3D name=\"Trassolin\" version=\"1.6\" "
                             "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                             "xsi:noNamespaceSchemaLocation=\"http://i3d.giants.ch/schema/"
                             "i3d-1.6.xsd\">\r\n";

TPunkt point(double x, double y, double z) {
    TPunkt p;
    p.x = x, p.y = y, p.z = z;
    return p;
}

// What a run switched on and the texts it took, besides the document's own options.
struct RunSetup : DocumentOptions {
    bool road = true, rightEdge = false, leftEdge = false, fill = false;
    std::string shapeName = "Strasse";
    std::string roadTexture, rightEdgeTexture, leftEdgeTexture, fillTexture;
};

// The materials and the empty parts a run makes for these switches, in its order, named as
// it names them.
RoadMesh emptyMesh(const RunSetup& o) {
    RoadMesh mesh;
    mesh.name = o.shapeName;
    const auto add = [&](bool on, const char* material, const std::string& texture,
                         std::initializer_list<PartKind> kinds) {
        if (!on) return;
        mesh.materials.push_back({material, texture});
        for (PartKind kind : kinds) mesh.parts.emplace_back(kind, "", mesh.materials.size() - 1);
    };
    add(o.road, "road_diffuse", o.roadTexture, {PartKind::RoadSurface});
    add(o.rightEdge, "rightEdge_diffuse", o.rightEdgeTexture, {PartKind::RightVerge});
    add(o.leftEdge, "leftEdge_diffuse", o.leftEdgeTexture, {PartKind::LeftVerge});
    add(o.fill, "Front_mat", o.fillTexture, {PartKind::StartFace, PartKind::EndFace});
    return mesh;
}

// The parts filled, each of a different size (fans of n vertices, n - 2 triangles) so that a
// mix-up of starts and counts shows.
RoadMesh buildMesh(const RunSetup& o, std::vector<TSplinePkt> points = {}) {
    RoadMesh mesh = emptyMesh(o);
    int first = 0;
    const int sizes[] = {6, 4, 5, 3, 7};
    for (MeshPart& part : mesh.parts) {
        const int n = sizes[static_cast<int>(part.kind())];
        for (int i = 0; i < n; ++i) part.addVertex(point(first + i, 0.0, i % 2));
        for (std::uint32_t i = 1; i + 1 < static_cast<std::uint32_t>(n); ++i) part.addTriangle(0, i, i + 1);
        first += n;
    }
    for (const TSplinePkt& p : points) {
        mesh.controlPoints.push_back({{p.X, p.Y, p.Z}, {p.Xrot, p.Yrot, p.Zrot}});
    }
    return mesh;
}

MeshCurve curveOf(CurveKind kind, int points, double z) {
    static const char* const kNames[] = {"splineMitte", "splineRechts", "splineLinks"};
    MeshCurve c{kind, kNames[static_cast<int>(kind)], {}};
    for (int i = 0; i < points; ++i) c.add({static_cast<double>(i), 0.5, z});
    return c;
}

std::string tailOf(const RunSetup& o, const RoadMesh& mesh) { return documentTail(mesh, o); }

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(Document, roadOnlyIsExactFromDeclarationToClosingTag) {
    RunSetup o;
    o.roadTexture = "a.dds";
    o.shapeName = "Weg";
    RoadMesh mesh = emptyMesh(o);
    MeshPart& road = mesh.parts[0];
    TPunkt first = point(0, 0, 0);
    first.u = 0.25;
    road.addVertex(first);
    road.addVertex(point(2, 0, 0));
    road.addVertex(point(0, 0, 2));
    road.addTriangle(0, 2, 1);
    mesh.controlPoints.push_back({{0.0, 0.0, 4.0}, {0.0, 45.0, 0.0}});
    std::string written;
    writeI3dDocument(mesh, o, [&written](std::string_view bytes) { written.append(bytes); });
    EXPECT_EQ(written, kOpening + crlf(R"(  <Asset>
  </Asset>

  <Files>
    <File fileId="1" filename="a.dds" relativePath="true"/>
  </Files>

  <Materials>
    <Material name="road_diffuse" materialId="11" ambientColor="1 1 1">
      <Texture fileId="1"/>
    </Material>
  </Materials>

  <Shapes>
     <IndexedTriangleSet name="Road" shapeId="1" bvCenter="1.0000 0.0000 1.0000" bvRadius="1.4142" isOptimized="true">
        <Vertices count="3" normal="true" uv0="true" tangent="true">
          <v p="0.0000 0.0000 0.0000" n="0.0000 1.0000 0.0000" t0="0.2500 0.0000" />
          <v p="2.0000 0.0000 0.0000" n="0.0000 1.0000 0.0000" t0="0.0000 0.0000" />
          <v p="0.0000 0.0000 2.0000" n="0.0000 1.0000 0.0000" t0="0.0000 0.0000" />
        </Vertices>
        <Triangles count="1">
          <t vi="0 2 1" />
        </Triangles>
        <Subsets count="1">
          <Subset firstVertex="0" numVertices="3" firstIndex="0" numIndices="3"/>
        </Subsets>
      </IndexedTriangleSet>
  </Shapes>

  <Dynamics>
  </Dynamics>

    <Scene>
       <Shape name="Weg" static="true" clipDistance="500" nodeId="1" materialIds="11" shapeId="1" receiveShadows="true">
        <TransformGroup name="SplinePkt1" translation="0.0000 0.0000 4.0000" rotation="0.0000 45.0000 0.0000" nodeId="21"/>
      </Shape>
    </Scene>
</i3D>
)"));
}

TEST(DocumentHead, allPartsListFilesAndMaterialsInIdOrder) {
    RunSetup o;
    o.rightEdge = o.leftEdge = o.fill = true;
    o.roadTexture = "r.dds", o.rightEdgeTexture = "re.dds", o.leftEdgeTexture = "le.dds";
    EXPECT_EQ(documentHead(emptyMesh(o)), kOpening + crlf(R"(  <Asset>
  </Asset>

  <Files>
    <File fileId="1" filename="r.dds" relativePath="true"/>
    <File fileId="2" filename="re.dds" relativePath="true"/>
    <File fileId="3" filename="le.dds" relativePath="true"/>
    <File fileId="4" filename="" relativePath="true"/>
  </Files>

  <Materials>
    <Material name="road_diffuse" materialId="11" ambientColor="1 1 1">
      <Texture fileId="1"/>
    </Material>
    <Material name="rightEdge_diffuse" materialId="12" ambientColor="1 1 1">
      <Texture fileId="2"/>
    </Material>
    <Material name="leftEdge_diffuse" materialId="13" ambientColor="1 1 1">
      <Texture fileId="3"/>
    </Material>
    <Material name="Front_mat" materialId="14" ambientColor="1 1 1">
      <Texture fileId="4"/>
    </Material>
  </Materials>

  <Shapes>
)"));
}

TEST(LineFormats, vertexAndControlVertexRoundEveryNumberToTheFixedForm) {
    MeshPart part(PartKind::RoadSurface, "Fahrbahn", 0);
    TPunkt p = point(-0.00001, 0.00004, -0.00005);
    p.nx = 12.5, p.ny = -3.0, p.nz = 0.99995, p.u = 1234.56789, p.v = -0.5;
    part.addVertex(p);
    EXPECT_EQ(
        vertexLines(part),
        crlf(
            R"(          <v p="0.0000 0.0000 -0.0001" n="12.5000 -3.0000 1.0000" t0="1234.5679 -0.5000" />
)"));
    MeshCurve curve{CurveKind::Middle, "splineMitte", {}};
    curve.add({1.23456, -7.0, 1e6});
    EXPECT_EQ(controlVertexLines(curve), crlf("<cv c=\"1.2346 -7.0000 1000000.0000\"/>\n"));
}

TEST(LineFormats, triangleIndicesCountEveryVertexOfTheDocument) {
    MeshPart part(PartKind::LeftVerge, "linker Rand", 0);
    part.addTriangle(0, 2, 1);
    part.addTriangle(4'000'000'000u, 1, 2);
    EXPECT_EQ(triangleLines(part, 7), crlf("          <t vi=\"7 9 8\" />\n"
                                           "          <t vi=\"4000000007 8 9\" />\n"));
}

TEST(LineFormats, aNonFiniteNumberThrowsAndLeavesNoHalfLineOrBoxChange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    RoadMesh mesh = emptyMesh(RunSetup{});
    MeshPart& part = mesh.parts[0];
    part.beginSection(0.0);
    part.addVertex(point(1, 1, 1));
    const std::string before = vertexLines(part);
    TPunkt late = point(50, -50, 50);
    late.v = nan; // the last number of the line, after the position was formatted
    EXPECT_THROW(part.addVertex(late), FloatingPointError);
    EXPECT_THROW(part.addVertex(point(inf, 0, 0)), FloatingPointError);
    EXPECT_EQ(vertexLines(part), before);
    EXPECT_EQ(part.vertexCount(), 1u);
    EXPECT_EQ(part.sections().back().vertexCount, 1u);
    EXPECT_EQ(part.bounds().max, (std::array<double, 3>{1, 1, 1}));

    MeshCurve curve{CurveKind::Middle, "splineMitte", {}};
    EXPECT_THROW(curve.add({0, 0, inf}), FloatingPointError);
    EXPECT_EQ(controlVertexLines(curve), "");

    mesh.controlPoints.resize(2);
    mesh.controlPoints[1].rotation[2] = nan;
    EXPECT_THROW(tailOf(RunSetup{}, mesh), FloatingPointError);
}

TEST(MeshBlock, boundingSphereIsTheBoxCentreAndHalfItsDiagonalOverAllParts) {
    RunSetup o;
    o.rightEdge = true;
    RoadMesh mesh = emptyMesh(o);
    mesh.parts[0].addVertex(point(-1.0, 0.0, 2.0));
    mesh.parts[1].addVertex(point(3.0, 4.0, -2.0));
    mesh.parts[1].addVertex(point(0.5, 1.0, 0.0));
    // Centre (1, 2, 0); the max corner is (2, 2, 2) away: sqrt(12).
    EXPECT_TRUE(contains(tailOf(o, mesh), "bvCenter=\"1.0000 2.0000 0.0000\" bvRadius=\"3.4641\""));
    // Without a vertex the box still holds its start values; that is no sphere of 1.7e10 m.
    EXPECT_TRUE(contains(tailOf(o, emptyMesh(o)),
                         "bvCenter=\"0.0000 0.0000 0.0000\" bvRadius=\"0.0000\""));
}

TEST(MeshBlock, fiveSubsetsTileTheVertexAndIndexRangesInBuildOrder) {
    RunSetup o;
    o.rightEdge = o.leftEdge = o.fill = true;
    const RoadMesh mesh = buildMesh(o);
    EXPECT_EQ(mesh.vertexCount(), 25u);
    EXPECT_EQ(mesh.triangleCount(), 15u);
    EXPECT_TRUE(contains(tailOf(o, mesh), crlf(R"(        <Vertices count="25" normal="true" uv0="true" tangent="true">)")));
    EXPECT_TRUE(contains(tailOf(o, mesh), crlf(R"(        <Triangles count="15">)")));
    // Each part's triangles moved by the vertices of the parts before it: the left verge's
    // first fan triangle (0, 1, 2) points at its own first vertex, 10.
    EXPECT_TRUE(contains(tailOf(o, mesh), crlf("          <t vi=\"10 11 12\" />\n")));
    EXPECT_TRUE(contains(tailOf(o, mesh), crlf(R"(        <Subsets count="5">
          <Subset firstVertex="0" numVertices="6" firstIndex="0" numIndices="12"/>
          <Subset firstVertex="6" numVertices="4" firstIndex="12" numIndices="6"/>
          <Subset firstVertex="10" numVertices="5" firstIndex="18" numIndices="9"/>
          <Subset firstVertex="15" numVertices="3" firstIndex="27" numIndices="3"/>
          <Subset firstVertex="18" numVertices="7" firstIndex="30" numIndices="15"/>
        </Subsets>
)")));
}

// A mesh long enough that its lines fill many output pieces and are formatted in batches:
// vertex i lies at (i / 1000, -i / 7, 0.00005 i) with u = i and v = -i, triangle i is
// (i, i + 1, i + 2); the curve has one control vertex per 0.1 m.
struct LongMesh {
    static constexpr int kVertices = 23'456;
    RoadMesh mesh = emptyMesh(RunSetup{});
    LongMesh() {
        MeshPart& part = mesh.parts[0];
        MeshCurve& curve = mesh.curves.emplace_back(MeshCurve{CurveKind::Middle, "splineMitte", {}});
        for (int i = 0; i < kVertices; ++i) {
            TPunkt p = point(i / 1000.0, -i / 7.0, 0.00005 * i);
            p.u = i, p.v = -i;
            part.addVertex(p);
            const auto k = static_cast<std::uint32_t>(i);
            part.addTriangle(k, k + 1, k + 2);
            curve.add({0.1 * i, 0, 0});
        }
    }
};

TEST(DocumentTail, aLongMeshKeepsEveryLineInOrderAcrossPiecesAndBatches) {
    const LongMesh m;
    std::string vertices, triangles, curve;
    for (int i = 0; i < LongMesh::kVertices; ++i) {
        vertices += "          <v p=\"" + formatFixed(i / 1000.0) + " " + formatFixed(-i / 7.0) +
                    " " + formatFixed(0.00005 * i) + "\" n=\"0.0000 1.0000 0.0000\" t0=\"" +
                    formatFixed(i) + " " + formatFixed(-i) + "\" />\r\n";
        triangles += "          <t vi=\"" + std::to_string(i) + " " + std::to_string(i + 1) + " " +
                     std::to_string(i + 2) + "\" />\r\n";
        curve += "<cv c=\"" + formatFixed(0.1 * i) + " 0.0000 0.0000\"/>\r\n";
    }
    EXPECT_EQ(vertexLines(m.mesh.parts[0]), vertices);
    EXPECT_EQ(triangleLines(m.mesh.parts[0]), triangles);
    EXPECT_EQ(controlVertexLines(m.mesh.curves[0]), curve);

    std::vector<std::size_t> pieces;
    std::string joined;
    writeDocumentTail(m.mesh, DocumentOptions{}, [&](std::string_view bytes) {
        pieces.push_back(bytes.size());
        joined.append(bytes);
    });
    const auto between = [&](const std::string& open, const std::string& close) {
        const auto start = joined.find(open) + open.size();
        return joined.substr(start, joined.find(close, start) - start);
    };
    EXPECT_EQ(between("tangent=\"true\">\r\n", "        </Vertices>"), vertices);
    EXPECT_EQ(between("<Triangles count=\"23456\">\r\n", "        </Triangles>"), triangles);
    EXPECT_EQ(between("form=\"open\">\r\n", "    </NurbsCurve>"), curve);
    EXPECT_EQ(joined, documentTail(m.mesh, DocumentOptions{}));
    // Held in pieces, never whole.
    EXPECT_GT(pieces.size(), 5u);
    EXPECT_LE(*std::max_element(pieces.begin(), pieces.end()), joined.size() / 4);
}

TEST(DocumentTail, aSinkFailureStopsTheWritingAndReachesTheCaller) {
    const LongMesh m;
    for (int failAt : {1, 2, 3, 6}) {
        int calls = 0;
        try {
            writeDocumentTail(m.mesh, DocumentOptions{}, [&](std::string_view) {
                if (++calls == failAt) throw IoError("E/A-Fehler 28");
            });
            ADD_FAILURE() << failAt;
        } catch (const IoError& e) {
            EXPECT_STREQ(e.what(), "E/A-Fehler 28");
        }
        EXPECT_EQ(calls, failAt) << "pieces handed on after the failure";
    }
}

TEST(BlockList, keepsTheOrderAcrossSplicedPartlyFilledBlocks) {
    // 5 000 and 4 100 items fill neither list's last block; pushes after the splice go on
    // behind the spliced items.
    BlockList<int> list, part;
    for (int i = 0; i < 5000; ++i) list.push_back(i);
    for (int i = 5000; i < 9100; ++i) part.push_back(i);
    list.splice(std::move(part));
    for (int i = 9100; i < 9110; ++i) list.push_back(i);
    EXPECT_EQ(list.size(), 9110u);
    EXPECT_TRUE(part.empty());
    for (const auto& [first, last] : {std::pair{0, 9110}, {4090, 9105}, {5000, 5001}, {9109, 9110}}) {
        std::vector<int> seen;
        list.forEach(first, last, [&](int v) { seen.push_back(v); });
        std::vector<int> expected(last - first);
        std::iota(expected.begin(), expected.end(), first);
        EXPECT_EQ(seen, expected) << first << ".." << last;
    }
}

struct MainNodeCase {
    bool road, right, left, fill, groups;
    std::string scene; // everything after "<Scene>"
    friend void PrintTo(const MainNodeCase& c, std::ostream* os) { *os << c.scene; }
};

class MainNode : public ::testing::TestWithParam<MainNodeCase> {};

TEST_P(MainNode, carriesOneMaterialPerSubsetAndTheGroupsWhenAsked) {
    const MainNodeCase& c = GetParam();
    RunSetup o;
    o.road = c.road, o.rightEdge = c.right, o.leftEdge = c.left, o.fill = c.fill;
    o.transformGroups = c.groups;
    o.shapeName = "N";
    std::vector<TSplinePkt> points(2);
    points[0].X = -0.00005, points[0].Y = 12.5, points[0].Z = 100.123449;
    points[1].Xrot = -3.0, points[1].Yrot = 179.99995, points[1].Zrot = 0.00004;
    const std::string tail = tailOf(o, buildMesh(o, points));
    const std::string expected = crlf("    <Scene>\n" + c.scene + "    </Scene>\n</i3D>\n");
    ASSERT_GE(tail.size(), expected.size());
    EXPECT_EQ(tail.substr(tail.size() - expected.size()), expected);
}

const std::string kGroups =
    R"(        <TransformGroup name="SplinePkt1" translation="-0.0001 12.5000 100.1234" rotation="0.0000 0.0000 0.0000" nodeId="21"/>
        <TransformGroup name="SplinePkt2" translation="0.0000 0.0000 0.0000" rotation="-3.0000 180.0000 0.0000" nodeId="22"/>
)";
std::string shapeLine(const char* materials, const char* end) {
    return std::string(
               R"(       <Shape name="N" static="true" clipDistance="500" nodeId="1" materialIds=")") +
           materials + R"(" shapeId="1" receiveShadows="true")" + end + "\n";
}

INSTANTIATE_TEST_SUITE_P(
    Variants, MainNode,
    ::testing::Values(MainNodeCase{true, false, false, false, false, shapeLine("11", "/>")},
                      MainNodeCase{true, true, true, true, false,
                                   shapeLine("11, 12, 13, 14, 14", "/>")},
                      MainNodeCase{false, true, true, false, false, shapeLine("12, 13", "/>")},
                      MainNodeCase{true, false, false, true, false, shapeLine("11, 14, 14", "/>")},
                      MainNodeCase{true, false, false, false, true,
                                   shapeLine("11", ">") + kGroups + "      </Shape>\n"},
                      MainNodeCase{false, false, false, false, false,
                                   "       <TransformGroup name=\"N\" nodeId=\"1\" />\n"},
                      MainNodeCase{false, false, false, false, true,
                                   "       <TransformGroup name=\"N\" nodeId=\"1\" >\n" + kGroups +
                                       "      </TransformGroup>\n"}),
    [](const auto& p) {
        const MainNodeCase& c = p.param;
        std::string name;
        for (const auto& [on, part] : {std::pair{c.road, "road"},
                                       {c.right, "right"},
                                       {c.left, "left"},
                                       {c.fill, "fill"},
                                       {c.groups, "groups"}}) {
            if (on) name += name.empty() ? part : std::string("_") + part;
        }
        return name.empty() ? std::string("nothing") : name;
    });

TEST(Curves, comeInTheOrderOfTheMeshWithTheirSceneShapes) {
    RunSetup o;
    o.road = false, o.transformGroups = false;
    RoadMesh mesh = emptyMesh(o);
    mesh.curves.push_back(curveOf(CurveKind::Middle, 1, 0.0));
    mesh.curves.push_back(curveOf(CurveKind::Right, 1, -2.0));
    mesh.curves.push_back(curveOf(CurveKind::Left, 2, 2.0));
    EXPECT_EQ(documentTail(mesh, o),
              crlf(R"(    <NurbsCurve name="splineMitte" shapeId="11" degree="3" form="open">
<cv c="0.0000 0.5000 0.0000"/>
    </NurbsCurve>
    <NurbsCurve name="splineRechts" shapeId="12" degree="3" form="open">
<cv c="0.0000 0.5000 -2.0000"/>
    </NurbsCurve>
    <NurbsCurve name="splineLinks" shapeId="13" degree="3" form="open">
<cv c="0.0000 0.5000 2.0000"/>
<cv c="1.0000 0.5000 2.0000"/>
    </NurbsCurve>
  </Shapes>

  <Dynamics>
  </Dynamics>

    <Scene>
       <Shape name="splineMitte" translation="0 0 0" nodeId="11" shapeId="11"/>
       <Shape name="splineRechts" translation="0 0 0" nodeId="12" shapeId="12"/>
       <Shape name="splineLinks" translation="0 0 0" nodeId="13" shapeId="13"/>
       <TransformGroup name="Strasse" nodeId="1" />
    </Scene>
</i3D>
)"));
}

TEST(Curves, ofTheAiRoadSitInItsGroupAndCarryTheirAttributesAfterTheScene) {
    RunSetup o;
    o.road = false, o.transformGroups = false;
    o.shapeName = "A&B";
    o.aiRoad = o.trafficAttributes = true;
    o.maxWidth = {7.0, 1.0 / 3.0, 2.5};
    o.speedLimit = 100;
    o.maxSpeedScale = 0.75;
    RoadMesh mesh = emptyMesh(o);
    mesh.curves.push_back(curveOf(CurveKind::Right, 1, -2.0));
    const std::string tail = documentTail(mesh, o);
    EXPECT_TRUE(tail.ends_with(crlf(R"(    <Scene>
       <TransformGroup name="A&amp;B_AI" nodeId="10">
        <Shape name="splineRechts" translation="0 0 0" nodeId="12" shapeId="12"/>
       </TransformGroup>
       <TransformGroup name="A&amp;B" nodeId="1" />
    </Scene>

  <UserAttributes>
    <UserAttribute nodeId="10">
      <Attribute name="onCreate" type="scriptCallback" value="AISystem.onCreateAIRoadSpline"/>
    </UserAttribute>
    <UserAttribute nodeId="12">
      <Attribute name="maxSpeedScale" type="float" value="0.75"/>
      <Attribute name="maxWidth" type="float" value="0.333333333333333"/>
      <Attribute name="speedLimit" type="float" value="100"/>
    </UserAttribute>
  </UserAttributes>

</i3D>
)")))
        << tail;
}

struct EscapeCase {
    std::string utf8, latin1;
    const char* name;
    friend void PrintTo(const EscapeCase& c, std::ostream* os) { *os << '"' << c.utf8 << '"'; }
};

class AttributeEscape : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(AttributeEscape, givesWellFormedLatin1) {
    EXPECT_EQ(escapeAttributeLatin1(GetParam().utf8), GetParam().latin1);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AttributeEscape,
    ::testing::Values(
        EscapeCase{"Strasse_01 (neu)", "Strasse_01 (neu)", "plain"},
        EscapeCase{"A&B <x> \"q\" 'a'", "A&amp;B &lt;x&gt; &quot;q&quot; 'a'", "markup"},
        EscapeCase{"Stra\xC3\x9F"
                   "e \xC3\xBC\xC2\xA0",
                   "Stra\xDF"
                   "e \xFC\xA0",
                   "latin1"},
        EscapeCase{"5\xE2\x82\xAC \xF0\x9F\x9A\x97", "5&#8364; &#128663;", "beyondLatin1"},
        // Not UTF-8 (Latin-1 input, a cut sequence, overlong, a surrogate):
        // each byte is the Latin-1 character it would be on its own.
        EscapeCase{"\xDF|\xC3|\xC0\xAF|\xED\xA0\x80", "\xDF|\xC3|\xC0\xAF|\xED\xA0\x80", "notUtf8"},
        // A parser would turn a literal tab or line end into a blank.
        EscapeCase{"a\tb\nc\rd", "a&#9;b&#10;c&#13;d", "tabAndLineEnds"},
        // Characters XML cannot carry at all.
        EscapeCase{std::string("\0\x01\xEF\xBF\xBF", 5), "&#65533;&#65533;&#65533;", "notForXml"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(AttributeEscape, appliesToTheShapeNameAndEveryTextureName) {
    RunSetup o;
    o.rightEdge = o.leftEdge = o.fill = true;
    o.shapeName = "A&B<\xC3\x9F\xE2\x82\xAC";
    o.roadTexture = "1&", o.rightEdgeTexture = "2\"", o.leftEdgeTexture = "3<",
    o.fillTexture = "4>";
    const RoadMesh mesh = buildMesh(o);
    const std::string doc = documentHead(mesh) + tailOf(o, mesh);
    for (const char* name : {"1&amp;", "2&quot;", "3&lt;", "4&gt;"})
        EXPECT_TRUE(contains(doc, std::string("filename=\"") + name + "\"")) << name;
    EXPECT_TRUE(contains(doc, "<Shape name=\"A&amp;B&lt;\xDF&#8364;\" static"));
}

// --- The document as an XML processor sees it -----------------------------------------------

struct XmlCase {
    const char* name;
    bool mesh, groups, curves;
    // The schema wants a Material under Materials, which a document without a mesh part
    // cannot give; such documents are only checked for well-formedness.
    bool schemaApplies;
    friend void PrintTo(const XmlCase& c, std::ostream* os) { *os << c.name; }
};

class XmlDocument : public ::testing::TestWithParam<XmlCase> {};

TEST_P(XmlDocument, isWellFormedReadsBackItsTextsAndFollowsTheSchema) {
    if (!test::xmllintAvailable()) GTEST_SKIP() << "xmllint is not installed";
    const XmlCase& c = GetParam();
    RunSetup o;
    o.road = o.rightEdge = o.leftEdge = o.fill = c.mesh;
    o.transformGroups = c.groups;
    o.shapeName = "Stra\xC3\x9F"
                  "e & <Br\xC3\xBC"
                  "cke> \"\xE2\x82\xAC\"\t1";
    o.roadTexture = "tex/A&B.dds";
    RoadMesh mesh = buildMesh(o, std::vector<TSplinePkt>(3));
    if (c.curves) {
        mesh.curves.push_back(curveOf(CurveKind::Middle, 4, 0));
        mesh.curves.push_back(curveOf(CurveKind::Right, 5, -2));
        mesh.curves.push_back(curveOf(CurveKind::Left, 6, 2));
    }
    const std::string doc = documentHead(mesh) + documentTail(mesh, o);

    test::TempDir dir;
    std::string log;
    test::writeFile(dir / "doc.i3d", doc);
    EXPECT_EQ(test::xmllint("--noout", dir / "doc.i3d", log), 0) << log;
    EXPECT_EQ(test::xmllint("--xpath 'string(/i3D/Scene/*[@nodeId=1]/@name)'", dir / "doc.i3d", log), 0);
    EXPECT_EQ(log, o.shapeName + "\n");

    const auto schema = test::i3dSchema();
    if (!c.schemaApplies) return;
    if (!std::filesystem::exists(schema)) GTEST_SKIP() << "schema not available";
    for (const char* name : {" bvCenter=\"", " bvRadius=\"", " isOptimized=\""}) {
        EXPECT_EQ(c.mesh, doc.find(name) != std::string::npos) << name;
    }
    test::writeFile(dir / "stripped.i3d", test::withoutEditorAttributes(doc));
    EXPECT_EQ(test::xmllint("--noout --schema '" + schema.string() + "'", dir / "stripped.i3d", log), 0)
        << log;
}

INSTANTIATE_TEST_SUITE_P(Variants, XmlDocument,
                         ::testing::Values(XmlCase{"everything", true, true, true, true},
                                           XmlCase{"meshOnly", true, false, false, true},
                                           XmlCase{"curvesAndGroups", false, true, true, false},
                                           XmlCase{"nothing", false, false, false, false}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace trassolin
