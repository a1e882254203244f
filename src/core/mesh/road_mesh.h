#pragma once

// The road as a mesh of its own: what generation/ builds and what output/ (the i3d document,
// glTF) and the window's views read. A plain value that knows no file format.
//
// Axes and units are those of the i3d scene, which glTF shares: metres, +Y up, and a road
// running along +Z has +X on its left (right-handed). Triangles turn counter-clockwise seen
// from the side their vertices' normals point to. Texture coordinates count texture repeats:
// u across, v along the road.

#include "mesh/block_list.h"
#include "uGlobal/punkt.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trassolin {

using Vec3 = std::array<double, 3>;

// Smallest and largest coordinate on each axis; empty (minimum above maximum) until it holds
// a point. The start values are the ones the i3d document's bounding volume has always begun
// with.
struct BoundingBox {
    Vec3 min{1e10, 1e10, 1e10};
    Vec3 max{-1e10, -1e10, -1e10};

    void include(double x, double y, double z);
    void include(const BoundingBox& other);
    bool empty() const { return min[0] > max[0]; }
};

struct MeshVertex {
    double x, y, z;    // position, m
    double nx, ny, nz; // unit normal
    double u, v;       // texture coordinates, repeats
};

// Three vertex indices of one part, counted from the part's first vertex.
struct MeshTriangle {
    std::uint32_t a, b, c;
};

// The vertices and triangles that one station of the path added to a part: for the road
// surface one sample's border vertices and the triangles they close; for a verge one row of
// profile points (two at a texture seam) and the triangles back to the previous row; for an
// end face the whole face.
struct CrossSection {
    double station; // m along the path from its start, where the section stands
    std::uint32_t firstVertex, vertexCount;
    std::uint32_t firstTriangle, triangleCount;
};

enum class PartKind : std::uint8_t { RoadSurface, RightVerge, LeftVerge, StartFace, EndFace };

// The border of the road surface a vertex of it lies on. The surface is a strip that takes
// its vertices from either border in turns, so neither their order nor their texture
// coordinates tell the side.
enum class RoadBorder : std::uint8_t { Right, Left };

// One named piece of the mesh with one material. Vertices, triangles and cross-sections are
// stored in blocks that never move, so a part of many megabytes never exists twice while it
// grows.
class MeshPart {
public:
    // `rowLength`: for a verge the number of profile points, so that vertex k of a section is
    // profile point (k - firstVertex) % rowLength; 0 where rows have no fixed length.
    MeshPart(PartKind kind, std::string name, std::size_t material, std::uint32_t rowLength = 0);

    // Starts a cross-section: what is added from now on belongs to it.
    void beginSection(double station);
    // Position, normal and texture coordinates of `p`; returns the new vertex's index. A
    // non-finite number throws FloatingPointError and adds nothing.
    std::uint32_t addVertex(const TPunkt& p);
    // A vertex of the road surface on `border`: as addVertex, with its border recorded.
    std::uint32_t addBorderVertex(const TPunkt& p, RoadBorder border);
    void addTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);

    PartKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    std::size_t material() const { return material_; }
    std::uint32_t rowLength() const { return rowLength_; }
    std::uint32_t vertexCount() const { return static_cast<std::uint32_t>(vertices_.size()); }
    std::uint32_t triangleCount() const { return static_cast<std::uint32_t>(triangles_.size()); }
    const BlockList<MeshVertex>& vertices() const { return vertices_; }
    const BlockList<MeshTriangle>& triangles() const { return triangles_; }
    const BlockList<CrossSection>& sections() const { return sections_; }
    // The border of every vertex added with addBorderVertex, in vertex order; empty for the
    // parts that take none (all but the road surface).
    const BlockList<RoadBorder>& borders() const { return borders_; }
    const BoundingBox& bounds() const { return bounds_; }

private:
    PartKind kind_;
    std::string name_;
    std::size_t material_;
    std::uint32_t rowLength_;
    BlockList<MeshVertex> vertices_;
    BlockList<MeshTriangle> triangles_;
    BlockList<CrossSection> sections_;
    BlockList<RoadBorder> borders_;
    BoundingBox bounds_;
};

// A texture the parts are drawn with; the file name relative to the document, as the user
// gave it (the program never opens it).
struct MeshMaterial {
    std::string name;
    std::string texture;
};

enum class CurveKind : std::uint8_t { Middle, Right, Left };

// A traffic curve: the control polygon of a degree-3 open NURBS curve, in world positions
// and in the direction the traffic on it runs.
struct MeshCurve {
    CurveKind kind;
    std::string name;
    BlockList<Vec3> controlVertices;

    // A non-finite coordinate throws FloatingPointError and adds nothing.
    void add(const Vec3& position);
};

// A spline control point as the user placed it: position (m) and rotations (degrees about X,
// Y and Z: climb, heading, bank, standard right-handed turns applied bank first, heading last).
struct ControlPointPose {
    Vec3 position;
    Vec3 rotation;
};

// A stretch of one part drawn as a shape of its own (mesh/chunks.h cuts them): the part's
// vertices firstVertex .. firstVertex + vertexCount - 1 and the triangles of the stretch's
// cross-sections, together with the vertices of other stretches that those triangles use (the
// seam), which the shape holds as copies of its own. Nothing is copied in memory: the chunk
// names what a writer takes from its part.
struct MeshChunk {
    std::size_t part = 0;            // in RoadMesh::parts
    std::size_t number = 0;          // of the stretch, from 0: chunk k ends at (k + 1) lengths
    std::string name;                // the part's name and the chunk's number from 1: "Fahrbahn 3"
    std::vector<std::uint32_t> seam; // the part's indices of the seam's vertices, ascending
    std::uint32_t firstVertex = 0, vertexCount = 0;
    std::uint32_t firstTriangle = 0, triangleCount = 0;
    BoundingBox bounds; // of the seam's and its own vertices
};

// What a writer draws as one shape: a whole part, or a chunk of one. Its vertices are the seam
// before the stretch, the stretch's own, the seam after it; its triangles count them from 0.
class MeshShape {
public:
    explicit MeshShape(const MeshPart& part, const MeshChunk* chunk = nullptr);

    const MeshPart& part() const { return part_; }
    const std::string& name() const;
    const BoundingBox& bounds() const;
    std::uint32_t vertexCount() const;
    std::uint32_t triangleCount() const;
    // The part's own vertices and triangles the shape takes, as ranges of the part's lists.
    std::uint32_t firstOwnVertex() const { return firstVertex_; }
    std::uint32_t ownVertexCount() const { return ownVertices_; }
    std::uint32_t firstTriangle() const { return firstTriangle_; }
    // The seam's vertices before and after the own ones, by the part's indices.
    std::span<const std::uint32_t> seamBefore() const { return seamBefore_; }
    std::span<const std::uint32_t> seamAfter() const { return seamAfter_; }
    // The shape's index of the part's vertex `i`, which the shape holds.
    std::uint32_t local(std::uint32_t i) const;

    template <typename F> void forEachVertex(F&& f) const {
        const auto one = [&](std::uint32_t i) { part_.vertices().forEach(i, i + 1, f); };
        for (std::uint32_t i : seamBefore_) one(i);
        part_.vertices().forEach(firstVertex_, firstVertex_ + ownVertices_, f);
        for (std::uint32_t i : seamAfter_) one(i);
    }
    // Each triangle with the shape's indices.
    template <typename F> void forEachTriangle(F&& f) const {
        const std::uint32_t first = firstTriangle_, last = first + triangleCount();
        if (seamBefore_.empty() && seamAfter_.empty()) {
            // Every index moves alike (a whole part: not at all).
            part_.triangles().forEach(first, last, [&](const MeshTriangle& t) {
                f(MeshTriangle{t.a - firstVertex_, t.b - firstVertex_, t.c - firstVertex_});
            });
            return;
        }
        part_.triangles().forEach(first, last, [&](const MeshTriangle& t) {
            f(MeshTriangle{local(t.a), local(t.b), local(t.c)});
        });
    }

private:
    const MeshPart& part_;
    const MeshChunk* chunk_;
    std::uint32_t firstVertex_, ownVertices_, firstTriangle_;
    std::span<const std::uint32_t> seamBefore_, seamAfter_;
};

struct RoadMesh {
    std::string name;                    // the road's shape name
    std::vector<MeshMaterial> materials; // parts refer to them by position
    std::vector<MeshPart> parts;         // in the order they were built
    std::vector<MeshCurve> curves;       // middle, right, left, as far as switched on
    std::vector<ControlPointPose> controlPoints;
    double length = 0.0; // m; the stations of the cross-sections run from 0 to here
    // The parts in chunks, in chunk order (mesh/chunks.h); empty while every part is whole.
    std::vector<MeshChunk> chunks;

    BoundingBox bounds() const; // of every part's vertices
    std::uint64_t vertexCount() const;
    std::uint64_t triangleCount() const;
    // The first part of that kind, or null.
    const MeshPart* find(PartKind kind) const;
    // One per chunk, or one per part while there are no chunks; they refer into this mesh.
    std::vector<MeshShape> shapes() const;
};

} // namespace trassolin
