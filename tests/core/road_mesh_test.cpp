// The road mesh a run builds: its parts against the worked examples and the document written
// from it, the cross-sections every reader of a station relies on, and the progress of a run.
#include "generation/build.h"
#include "generation/run.h"
#include "output/document.h"
#include "support/road_runs.h"
#include "support/test_support.h"
#include "winding_road.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trassolin {
namespace {

using test::meshOf;

ParameterSet straightRoad(double length) {
    ParameterSet p;
    p.splines.get(1)->Z = length;
    return p;
}

template <typename T> std::vector<T> itemsOf(const BlockList<T>& list) {
    std::vector<T> items;
    list.forEach(0, list.size(), [&](const T& item) { items.push_back(item); });
    return items;
}

std::vector<std::vector<std::uint32_t>> trianglesOf(const MeshPart& part) {
    std::vector<std::vector<std::uint32_t>> out;
    for (const MeshTriangle& t : itemsOf(part.triangles())) out.push_back({t.a, t.b, t.c});
    return out;
}

// The text between the line that opens `open` and the line that closes it.
std::string block(const std::string& doc, const std::string& open, const std::string& close) {
    const auto start = doc.find("\r\n", doc.find(open)) + 2;
    return doc.substr(start, doc.rfind("\r\n", doc.find(close, start)) + 2 - start);
}

TEST(RoadMesh, theStraightTenMetreRoadIsTheWorkedExample) {
    ParameterSet params = straightRoad(10);
    const RoadBuild built = meshOf(params);
    const RoadMesh& mesh = built.mesh;
    ASSERT_EQ(mesh.parts.size(), 1u);
    const MeshPart& road = mesh.parts[0];
    EXPECT_EQ(road.kind(), PartKind::RoadSurface);
    EXPECT_EQ(road.name(), "Fahrbahn");
    EXPECT_EQ(trianglesOf(road), (std::vector<std::vector<std::uint32_t>>{{1, 0, 2}, {1, 2, 3}}));
    const auto v = itemsOf(road.vertices());
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].x, -3.5); // right border first, U = Ende
    EXPECT_EQ(v[0].u, 1.0);
    EXPECT_EQ(v[1].x, 3.5);
    EXPECT_EQ(v[3].z, 10.0);
    EXPECT_EQ(v[3].v, -6.5);
    EXPECT_EQ(mesh.length, 10.0);
    ASSERT_TRUE(built.nextTexL0);
    EXPECT_EQ(*built.nextTexL0, 0.5);
    ASSERT_EQ(mesh.materials.size(), 1u);
    EXPECT_EQ(mesh.materials[0].texture, "road_diffuse.dds");
    ASSERT_EQ(mesh.controlPoints.size(), 2u);
    EXPECT_EQ(mesh.controlPoints[1].position, (Vec3{0, 0, 10}));
    EXPECT_TRUE(mesh.curves.empty());
}

TEST(RoadMesh, aShortTextureGivesOneSectionPerSampleWithTheVerticesItAdded) {
    ParameterSet params = straightRoad(10);
    params.texturLaenge = "2"; // samples at candidates 0, 8, 16 and 21 of 21 steps
    const RoadBuild built = meshOf(params);
    const MeshPart& road = built.mesh.parts.at(0);
    EXPECT_EQ(trianglesOf(road), (std::vector<std::vector<std::uint32_t>>{
                                     {1, 0, 2}, {1, 2, 3}, {3, 2, 4}, {3, 4, 5}}));
    const auto sections = itemsOf(road.sections());
    ASSERT_EQ(sections.size(), 4u);
    const double stations[] = {0, 80.0 / 21, 160.0 / 21, 10};
    const std::uint32_t counts[] = {2, 1, 1, 2};
    const std::uint32_t triangles[] = {0, 1, 1, 2};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(sections[k].station, stations[k], 1e-12) << k;
        EXPECT_EQ(sections[k].vertexCount, counts[k]) << k;
        EXPECT_EQ(sections[k].triangleCount, triangles[k]) << k;
    }
}

// Each part of a real road, written as the document writes it, is the document's own lines
// of that part's subset: the document holds nothing the mesh does not.
TEST(RoadMesh, partsAreTheDocumentsSubsetsLineForLine) {
    for (const char* file : {"landstrasse.ini", "dorfstrasse.ini"}) {
        ParameterSet params = test::example(file, true);
        const RoadBuild built = meshOf(params);
        EXPECT_EQ(built.mesh.curves.size(), params.trafficMitte + params.trafficRechts + params.trafficLinks);
        test::TempDir dir;
        ParameterSet again = test::example(file, true);
        CollectingMessageSink messages;
        CollectingStatusLog log;
        RandomSequence random;
        ASSERT_TRUE(runGeneration(again, dir / "road.i3d", messages, log, random, '.'));
        const std::string doc = test::readFile(dir / "road.i3d");

        std::string vertices, triangles;
        std::uint32_t first = 0;
        for (const MeshPart& part : built.mesh.parts) {
            vertices += vertexLines(part);
            triangles += triangleLines(part, first);
            first += part.vertexCount();
        }
        EXPECT_EQ(vertices, block(doc, "<Vertices ", "</Vertices>")) << file;
        EXPECT_EQ(triangles, block(doc, "<Triangles ", "</Triangles>")) << file;
        const auto counts = test::attributeNumbers(doc, "numVertices");
        ASSERT_EQ(counts.size(), built.mesh.parts.size()) << file;
        for (std::size_t k = 0; k < counts.size(); ++k) {
            EXPECT_EQ(counts[k][0], built.mesh.parts[k].vertexCount()) << file << " part " << k;
        }
        std::string curves;
        for (const MeshCurve& curve : built.mesh.curves) curves += controlVertexLines(curve);
        std::string documentCurves;
        for (const char* name : {"splineMitte", "splineRechts", "splineLinks"}) {
            if (doc.find("<NurbsCurve name=\"" + std::string(name)) == std::string::npos) continue;
            documentCurves += block(doc, "<NurbsCurve name=\"" + std::string(name), "</NurbsCurve>");
        }
        EXPECT_EQ(curves, documentCurves) << file;
    }
}

// What a chunk, a preview or a terrain fit reads of a station: sections that tile each part
// in order, stations that never go back, rows of whole profiles on the verges.
TEST(RoadMesh, crossSectionsTileEveryPartAlongRisingStations) {
    test::TempDir dir;
    bench::writeWindingRoad(dir / "road.ini", 2);
    ParameterSet roads[] = {test::example("landstrasse.ini", true),
                            test::example("dorfstrasse.ini", true),
                            bench::loadWindingRoad(dir / "road.ini")};
    for (ParameterSet& params : roads) {
        const RoadMesh mesh = meshOf(params).mesh;
        ASSERT_EQ(mesh.parts.size(), 5u);
        for (const MeshPart& part : mesh.parts) {
            const auto sections = itemsOf(part.sections());
            ASSERT_FALSE(sections.empty()) << part.name();
            std::uint32_t vertex = 0, triangle = 0;
            double station = 0.0;
            for (const CrossSection& s : sections) {
                EXPECT_EQ(s.firstVertex, vertex) << part.name();
                EXPECT_EQ(s.firstTriangle, triangle) << part.name();
                EXPECT_GE(s.station, station) << part.name();
                if (part.rowLength() > 0) {
                    EXPECT_TRUE(s.vertexCount == part.rowLength() ||
                                s.vertexCount == 2 * part.rowLength())
                        << part.name() << " at " << s.station;
                }
                vertex += s.vertexCount;
                triangle += s.triangleCount;
                station = s.station;
            }
            EXPECT_EQ(vertex, part.vertexCount()) << part.name();
            EXPECT_EQ(triangle, part.triangleCount()) << part.name();
            EXPECT_LE(station, mesh.length) << part.name();
        }
        EXPECT_EQ(itemsOf(mesh.parts[0].sections()).back().station, mesh.length);
        EXPECT_EQ(mesh.parts[1].rowLength(), static_cast<std::uint32_t>(params.rechterRand.count()));
        EXPECT_EQ(itemsOf(mesh.parts[3].sections()).front().station, 0.0);
        EXPECT_EQ(itemsOf(mesh.parts[4].sections()).front().station, mesh.length);
    }
}

// Hears of every segment; asks to stop once `stopAfter` segments are done.
class Progress final : public RunProgress {
public:
    explicit Progress(int stopAfter = -1) : stopAfter_(stopAfter) {}
    void advanced(double done, double total) override { reports.push_back({done, total}); }
    bool cancelRequested() override {
        return stopAfter_ >= 0 && static_cast<int>(reports.size()) >= stopAfter_;
    }
    std::vector<std::pair<double, double>> reports;

private:
    int stopAfter_;
};

TEST(RunProgress, hearsOfEverySegmentUpToTheWholePath) {
    ParameterSet params = test::example("landstrasse.ini");
    Progress progress;
    test::TempDir dir;
    CollectingMessageSink messages;
    CollectingStatusLog log;
    RandomSequence random;
    ASSERT_TRUE(runGeneration(params, dir / "road.i3d", messages, log, random, '.',
                              {.progress = &progress}));
    ASSERT_EQ(progress.reports.size(), static_cast<std::size_t>(params.splines.count() - 1));
    double before = 0.0;
    for (const auto& [done, total] : progress.reports) {
        EXPECT_GT(done, before);
        EXPECT_EQ(total, progress.reports.back().second);
        before = done;
    }
    EXPECT_DOUBLE_EQ(progress.reports.back().first, progress.reports.back().second);
}

TEST(RunProgress, aCancelledRunStopsAtItsSegmentAndLeavesEveryFileAsItWas) {
    ParameterSet params = test::example("landstrasse.ini", true);
    test::TempDir dir;
    test::writeFile(dir / "road.i3d", "old");
    Progress progress(3);
    CollectingMessageSink messages;
    CollectingStatusLog log;
    RandomSequence random;
    EXPECT_THROW(runGeneration(params, dir / "road.i3d", messages, log, random, '.',
                               {.gltf = dir / "road.glb", .progress = &progress}),
                 RunCancelled);
    EXPECT_EQ(test::readFile(dir / "road.i3d"), "old");
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"road.i3d"});
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_FALSE(log.lines.empty());
    EXPECT_TRUE(log.lines.back().starts_with("Spline  3-4: ")) << log.lines.back();
    EXPECT_EQ(params.texL0, test::example("landstrasse.ini").texL0);
}

} // namespace
} // namespace trassolin
