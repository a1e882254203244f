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
    const BoundingBox& bounds() const { return bounds_; }

private:
    PartKind kind_;
    std::string name_;
    std::size_t material_;
    std::uint32_t rowLength_;
    BlockList<MeshVertex> vertices_;
    BlockList<MeshTriangle> triangles_;
    BlockList<CrossSection> sections_;
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

struct RoadMesh {
    std::string name;                    // the road's shape name
    std::vector<MeshMaterial> materials; // parts refer to them by position
    std::vector<MeshPart> parts;         // in the order they were built
    std::vector<MeshCurve> curves;       // middle, right, left, as far as switched on
    std::vector<ControlPointPose> controlPoints;
    double length = 0.0; // m; the stations of the cross-sections run from 0 to here

    BoundingBox bounds() const; // of every part's vertices
    std::uint64_t vertexCount() const;
    std::uint64_t triangleCount() const;
    // The first part of that kind, or null.
    const MeshPart* find(PartKind kind) const;
};

} // namespace trassolin
