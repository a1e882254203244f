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

std::vector<TriangleBits> trianglesOf(const MeshPart& part) {
    const auto vertices = itemsOf(part.vertices());
    std::vector<TriangleBits> out;
    for (const MeshTriangle& t : itemsOf(part.triangles())) {
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

// The name of a part without its chunk number, and that number.
std::pair<std::string, int> partAndChunk(const std::string& name) {
    const auto blank = name.rfind(' ');
    return {name.substr(0, blank), std::stoi(name.substr(blank + 1))};
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
    const RoadMesh whole = meshOf(params).mesh;
    RoadMesh chunked = meshOf(params).mesh;
    const std::size_t chunks = splitIntoChunks(chunked, c.length);

    std::map<std::string, std::vector<const MeshPart*>> pieces;
    std::vector<int> numbers;
    for (const MeshPart& piece : chunked.parts) {
        const auto [part, chunk] = partAndChunk(piece.name());
        pieces[part].push_back(&piece);
        if (numbers.empty() || numbers.back() != chunk) numbers.push_back(chunk);
    }
    // In chunk order; the pieces of one stretch together.
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(numbers.size(), chunks);
    EXPECT_EQ(chunked.curves.size(), whole.curves.size());
    EXPECT_EQ(chunked.controlPoints.size(), whole.controlPoints.size());
    EXPECT_EQ(chunked.triangleCount(), whole.triangleCount());

    for (const MeshPart& part : whole.parts) {
        ASSERT_TRUE(pieces.contains(part.name())) << part.name();
        std::vector<TriangleBits> union_;
        for (const MeshPart* piece : pieces[part.name()]) {
            EXPECT_EQ(piece->kind(), part.kind());
            EXPECT_EQ(piece->material(), part.material());
            EXPECT_GT(piece->triangleCount(), 0u) << piece->name();
            // Every vertex is used by a triangle of the piece: the seam is copied, not shared.
            std::vector<bool> used(piece->vertexCount());
            for (const MeshTriangle& t : itemsOf(piece->triangles())) {
                for (std::uint32_t i : {t.a, t.b, t.c}) {
                    ASSERT_LT(i, piece->vertexCount()) << piece->name();
                    used[i] = true;
                }
            }
            EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << piece->name();

            // Culled on its own: about half its stretch of path plus the road's reach.
            const auto sections = itemsOf(piece->sections());
            ASSERT_FALSE(sections.empty());
            const double stretch = sections.back().station - sections.front().station;
            EXPECT_LE(halfDiagonal(piece->bounds()), stretch / 2 + c.reach) << piece->name();
            BoundingBox own;
            for (const MeshVertex& v : itemsOf(piece->vertices())) own.include(v.x, v.y, v.z);
            EXPECT_EQ(piece->bounds().min, own.min);
            EXPECT_EQ(piece->bounds().max, own.max);

            const auto triangles = trianglesOf(*piece);
            union_.insert(union_.end(), triangles.begin(), triangles.end());
        }
        std::sort(union_.begin(), union_.end());
        EXPECT_EQ(union_, trianglesOf(part)) << part.name();
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
    splitIntoChunks(mesh, 250);
    for (const MeshPart& piece : mesh.parts) {
        if (piece.kind() == PartKind::RoadSurface) {
            EXPECT_LT(halfDiagonal(piece.bounds()), whole / 4) << piece.name();
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
    for (double x : {0.0, 1.0, 0.0}) {
        p.x = x;
        p.y = x == 0.0 && part.vertexCount() == 2 ? 1.0 : 0.0;
        part.addVertex(p);
    }
    part.addTriangle(0, 1, 2);
    EXPECT_EQ(splitIntoChunks(mesh, 10), 1u);
    ASSERT_EQ(mesh.parts.size(), 1u);
    EXPECT_EQ(mesh.parts[0].name(), "Stirnfläche Anfang 1");
    EXPECT_EQ(trianglesOf(mesh.parts[0]).size(), 1u);
}

} // namespace
} // namespace trassolin
