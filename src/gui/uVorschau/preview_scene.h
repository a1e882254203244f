#pragma once

// The road mesh as the preview's GPU buffers take it: 32-bit floats relative to an origin
// near the road (a road far from the map's centre keeps its millimetres), one index list
// for every part's triangles, the traffic curves' control polygons and the control points.
// Plain arrays without OpenGL, built off the window's thread.

#include "mesh/road_mesh.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace trassolin::gui {

struct PreviewVertex {
    std::array<float, 3> position; // m, relative to the scene's origin
    std::array<float, 3> normal;
    std::array<float, 2> uv; // texture repeats
    // A verge vertex's point of the cross-section profile (0 at the road edge), so that a
    // segment can be lit up without other geometry; -1 on every other part.
    float profilePoint;
    // Height above the ground of a map, m (negative below), where `grounded` is 1: a vertex of
    // the road surface or a verge over the map, when the preview was built with a ground.
    float clearance;
    float grounded;
};

struct PreviewPart {
    PartKind kind;
    std::string name;
    std::size_t material;
    std::uint32_t firstIndex = 0, indexCount = 0; // into PreviewScene::triangles
    std::uint32_t vertexCount = 0, triangleCount = 0;
};

// A line strip in PreviewScene::points.
struct PreviewCurve {
    CurveKind kind;
    std::uint32_t first = 0, count = 0;
};

struct PreviewScene {
    std::string name;
    Vec3 origin{};          // world position of the vertices' zero, whole metres
    BoundingBox bounds;     // world, of everything drawn
    double length = 0.0;    // m of path
    // The horizontal direction in which the control points mainly lie, rad from +X towards
    // +Z (the axis of least squares through them); 0 for fewer than two points.
    double mainDirection = 0.0;
    std::vector<PreviewVertex> vertices;
    std::vector<std::uint32_t> triangles; // vertex indices, three a triangle
    std::vector<PreviewPart> parts;       // in the mesh's order
    std::vector<std::string> textures;    // file name of each material, as the document names it
    // Curve control polygons, then one point per control point, relative to the origin.
    std::vector<std::array<float, 3>> points;
    std::vector<PreviewCurve> curves;
    std::uint32_t firstControlPoint = 0, controlPointCount = 0;

    // The control points where the world has them.
    Vec3 controlPoint(std::uint32_t index) const;
    Vec3 world(const std::array<float, 3>& relative) const;
    std::uint64_t vertexCount() const { return vertices.size(); }
};

PreviewScene buildPreviewScene(const RoadMesh& mesh);

} // namespace trassolin::gui
