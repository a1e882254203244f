// A long road in chunks: a table of roads and chunk lengths, each checked against the
// invariants a modder relies on: the chunks tile the unsplit parts triangle for triangle, bit
// for bit, each stands alone, and each is small enough to be culled on its own.
#include "mesh/chunks.h"
#include "support/road_runs.h"
#include "support/test_support.h"
#include "winding_road.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace trassolin {
namespace {

using test::meshOf;

template <typename T> std::vector<T> itemsOf(const BlockList<T>& list) {
    std::vector<T> items;
    list.forEach(0, list.size(), [&](const T& item) { items.push_back(item); });
    return items;
}

// A triangle as the bits of its three vertices, in its winding: equal only when every
// position, normal and texture coordinate is the same double.
using TriangleBits = std::array<std::uint64_t, 24>;

std::vector<MeshVertex> verticesOf(const MeshShape& shape) {
    std::vector<MeshVertex> vertices;
    shape.forEachVertex([&](const MeshVertex& v) { vertices.push_back(v); });
    return vertices;
}

std::vector<MeshTriangle> trianglesOf(const MeshShape& shape) {
    std::vector<MeshTriangle> triangles;
    shape.forEachTriangle([&](const MeshTriangle& t) { triangles.push_back(t); });
    return triangles;
}

std::vector<TriangleBits> triangleBitsOf(const MeshShape& shape) {
    const auto vertices = verticesOf(shape);
    std::vector<TriangleBits> out;
    for (const MeshTriangle& t : trianglesOf(shape)) {
        TriangleBits bits{};
        std::size_t k = 0;
        for (std::uint32_t i : {t.a, t.b, t.c}) {
            const MeshVertex& v = vertices.at(i);
            for (double d : {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v}) {
                std::memcpy(&bits[k++], &d, sizeof d);
            }
        }
        out.push_back(bits);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The stations of the first and the last cross-section whose vertices the shape holds.
std::pair<double, double> stretchOf(const MeshShape& shape) {
    double from = 1e300, to = -1e300;
    for (const CrossSection& s : itemsOf(shape.part().sections())) {
        bool holds = s.firstVertex < shape.firstOwnVertex() + shape.ownVertexCount() &&
                     s.firstVertex + s.vertexCount > shape.firstOwnVertex();
        for (auto seam : {shape.seamBefore(), shape.seamAfter()}) {
            for (std::uint32_t i : seam) holds = holds || (i >= s.firstVertex && i < s.firstVertex + s.vertexCount);
        }
        if (!holds) continue;
        from = std::min(from, s.station);
        to = std::max(to, s.station);
    }
    return {from, to};
}

double halfDiagonal(const BoundingBox& box) {
    double sum = 0.0;
    for (std::size_t i = 0; i < 3; ++i) sum += std::pow((box.max[i] - box.min[i]) / 2.0, 2);
    return std::sqrt(sum);
}

struct ChunkCase {
    const char* name;
    ParameterSet (*road)(const test::TempDir&);
    double length; // m per chunk
    // How far a vertex may stand from the path: road, widening and verges, m.
    double reach;
    friend void PrintTo(const ChunkCase& c, std::ostream* os) { *os << c.name; }
};

ParameterSet countryRoad(const test::TempDir&) { return test::example("landstrasse.ini", true); }
ParameterSet villageStreet(const test::TempDir&) { return test::example("dorfstrasse.ini", true); }
ParameterSet windingRoad(const test::TempDir& dir) {
    bench::writeWindingRoad(dir / "road.ini", 3);
    return bench::loadWindingRoad(dir / "road.ini");
}
// Samples 35 m apart on a straight: chunks shorter than that hold no section of their own.
ParameterSet longStraight(const test::TempDir&) {
    ParameterSet p;
    p.splines.get(1)->Z = 1000;
    return p;
}
// Symmetric triangles and a texture reset: sections of two full rows and seam duplicates.
ParameterSet symmetricWithResets(const test::TempDir&) {
    ParameterSet p = test::example("landstrasse.ini", true);
    p.preferences.dreieckeSym = true;
    p.texturLaenge = "7";
    return p;
}

const ChunkCase kCases[] = {
    {"countryRoad250", countryRoad, 250, 25},
    {"countryRoad10", countryRoad, 10, 25},
    {"villageStreet10", villageStreet, 10, 15},
    {"windingRoad250", windingRoad, 250, 25},
    {"longStraight100", longStraight, 100, 5},
    {"symmetricWithResets50", symmetricWithResets, 50, 25},
};

class Chunks : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(Chunks, tileEachPartTriangleForTriangleAndStandAlone) {
    const ChunkCase& c = GetParam();
    test::TempDir dir;
    ParameterSet params = c.road(dir);
    RoadMesh mesh = meshOf(params).mesh;
    mesh.chunks = chunksOf(mesh, c.length);
    const std::vector<MeshShape> shapes = mesh.shapes();
    ASSERT_EQ(shapes.size(), mesh.chunks.size());

    // In chunk order, the pieces of one stretch together and named by it.
    for (std::size_t k = 0; k < mesh.chunks.size(); ++k) {
        const MeshChunk& chunk = mesh.chunks[k];
        if (k > 0) {
            EXPECT_LE(mesh.chunks[k - 1].number, chunk.number);
        }
        EXPECT_EQ(chunk.name, mesh.parts.at(chunk.part).name() + " " + std::to_string(chunk.number + 1));
    }
    for (std::size_t p = 0; p < mesh.parts.size(); ++p) {
        const MeshPart& part = mesh.parts[p];
        std::vector<TriangleBits> union_;
        for (std::size_t k = 0; k < shapes.size(); ++k) {
            const MeshShape& shape = shapes[k];
            if (&shape.part() != &part) continue;
            EXPECT_GT(shape.triangleCount(), 0u) << shape.name();
            // Every vertex is used by a triangle of the shape: the seam is copied, not shared.
            std::vector<bool> used(shape.vertexCount());
            for (const MeshTriangle& t : trianglesOf(shape)) {
                for (std::uint32_t i : {t.a, t.b, t.c}) {
                    ASSERT_LT(i, shape.vertexCount()) << shape.name();
                    used[i] = true;
                }
            }
            EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << shape.name();

            // Culled on its own: about half its stretch of path plus the road's reach.
            const auto [from, to] = stretchOf(shape);
            EXPECT_LE(halfDiagonal(shape.bounds()), (to - from) / 2 + c.reach) << shape.name();
            // Samples are at most 35 m apart, and a triangle of the road reaches two back.
            EXPECT_LE(to - from, c.length + 2 * 35.5) << shape.name();
            BoundingBox own;
            for (const MeshVertex& v : verticesOf(shape)) own.include(v.x, v.y, v.z);
            EXPECT_EQ(shape.bounds().min, own.min) << shape.name();
            EXPECT_EQ(shape.bounds().max, own.max) << shape.name();

            const auto triangles = triangleBitsOf(shape);
            union_.insert(union_.end(), triangles.begin(), triangles.end());
        }
        std::sort(union_.begin(), union_.end());
        EXPECT_EQ(union_, triangleBitsOf(MeshShape(part))) << part.name();
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, Chunks, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// What chunks are for: the engine culls and clips a shape by its bounding volume.
TEST(Chunks, aLongRoadIsShorterPiecesThanItsWhole) {
    test::TempDir dir;
    ParameterSet params = windingRoad(dir);
    RoadMesh mesh = meshOf(params).mesh;
    const double whole = halfDiagonal(mesh.parts[0].bounds());
    mesh.chunks = chunksOf(mesh, 250);
    EXPECT_GT(mesh.chunks.size(), 12u * 3);
    for (const MeshShape& shape : mesh.shapes()) {
        if (shape.part().kind() == PartKind::RoadSurface) {
            EXPECT_LT(halfDiagonal(shape.bounds()), whole / 4) << shape.name();
        }
    }
}

TEST(ChunkOf, endsAChunkAtItsLengthAndStartsTheFirstAtZero) {
    const struct {
        double station, length;
        std::size_t chunk;
    } cases[] = {{0, 250, 0},   {-1e-9, 250, 0}, {1e-9, 250, 0}, {250, 250, 0},
                 {250.001, 250, 1}, {500, 250, 1}, {2403.39, 250, 9}, {10, 10, 0}, {10.5, 10, 1}};
    for (const auto& c : cases) EXPECT_EQ(chunkOf(c.station, c.length), c.chunk) << c.station;
}

TEST(Chunks, ofAPartWithoutSectionsAreThePartWhole) {
    RoadMesh mesh;
    MeshPart& part = mesh.parts.emplace_back(PartKind::StartFace, "Stirnfläche Anfang", 0);
    TPunkt p;
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}}) {
        p.x = x;
        p.y = y;
        part.addVertex(p);
    }
    part.addTriangle(0, 1, 2);
    mesh.chunks = chunksOf(mesh, 10);
    ASSERT_EQ(mesh.chunks.size(), 1u);
    EXPECT_EQ(mesh.chunks[0].name, "Stirnfläche Anfang 1");
    EXPECT_EQ(triangleBitsOf(mesh.shapes()[0]), triangleBitsOf(MeshShape(part)));
}

} // namespace
} // namespace trassolin
