#include "uVorschau/preview_scene.h"

#include <cmath>

namespace trassolin::gui {

namespace {

std::array<float, 3> relative(const Vec3& world, const Vec3& origin) {
    return {static_cast<float>(world[0] - origin[0]), static_cast<float>(world[1] - origin[1]),
            static_cast<float>(world[2] - origin[2])};
}

bool isVerge(PartKind kind) { return kind == PartKind::RightVerge || kind == PartKind::LeftVerge; }

// The principal axis of the points' horizontal scatter: half the angle of the covariance's
// doubled-angle vector.
double mainDirection(const std::vector<ControlPointPose>& points) {
    if (points.size() < 2) return 0.0;
    double mx = 0.0, mz = 0.0;
    for (const ControlPointPose& p : points) {
        mx += p.position[0];
        mz += p.position[2];
    }
    mx /= static_cast<double>(points.size());
    mz /= static_cast<double>(points.size());
    double xx = 0.0, zz = 0.0, xz = 0.0;
    for (const ControlPointPose& p : points) {
        const double dx = p.position[0] - mx, dz = p.position[2] - mz;
        xx += dx * dx;
        zz += dz * dz;
        xz += dx * dz;
    }
    return 0.5 * std::atan2(2.0 * xz, xx - zz);
}

} // namespace

Vec3 PreviewScene::world(const std::array<float, 3>& p) const {
    return {origin[0] + p[0], origin[1] + p[1], origin[2] + p[2]};
}

Vec3 PreviewScene::controlPoint(std::uint32_t index) const {
    return world(points[firstControlPoint + index]);
}

PreviewScene buildPreviewScene(const RoadMesh& mesh) {
    PreviewScene scene;
    scene.name = mesh.name;
    scene.length = mesh.length;
    scene.bounds = mesh.bounds();
    for (const ControlPointPose& p : mesh.controlPoints) {
        scene.bounds.include(p.position[0], p.position[1], p.position[2]);
    }
    for (const MeshCurve& curve : mesh.curves) {
        curve.controlVertices.forEach(0, curve.controlVertices.size(), [&](const Vec3& v) {
            scene.bounds.include(v[0], v[1], v[2]);
        });
    }
    if (!scene.bounds.empty()) {
        for (int axis = 0; axis < 3; ++axis) {
            scene.origin[axis] =
                std::round((scene.bounds.min[axis] + scene.bounds.max[axis]) / 2.0);
        }
    }
    for (const MeshMaterial& material : mesh.materials) scene.textures.push_back(material.texture);

    scene.vertices.reserve(mesh.vertexCount());
    scene.triangles.reserve(mesh.triangleCount() * 3);
    for (const MeshPart& part : mesh.parts) {
        const auto first = static_cast<std::uint32_t>(scene.vertices.size());
        PreviewPart& shown = scene.parts.emplace_back(
            PreviewPart{part.kind(), part.name(), part.material(),
                        static_cast<std::uint32_t>(scene.triangles.size()), 0,
                        part.vertexCount(), part.triangleCount()});
        const bool verge = isVerge(part.kind()) && part.rowLength() > 0;
        std::uint32_t k = 0;
        part.vertices().forEach(0, part.vertices().size(), [&](const MeshVertex& v) {
            // Every row of a verge holds the whole profile, so a vertex's place in its row is
            // its profile point.
            const float profilePoint = verge ? static_cast<float>(k % part.rowLength()) : -1.0f;
            scene.vertices.push_back({relative({v.x, v.y, v.z}, scene.origin),
                                      {static_cast<float>(v.nx), static_cast<float>(v.ny),
                                       static_cast<float>(v.nz)},
                                      {static_cast<float>(v.u), static_cast<float>(v.v)},
                                      profilePoint, 0.0f, 0.0f});
            ++k;
        });
        part.triangles().forEach(0, part.triangles().size(), [&](const MeshTriangle& t) {
            scene.triangles.insert(scene.triangles.end(), {first + t.a, first + t.b, first + t.c});
        });
        shown.indexCount = static_cast<std::uint32_t>(scene.triangles.size()) - shown.firstIndex;
    }

    for (const MeshCurve& curve : mesh.curves) {
        PreviewCurve& shown = scene.curves.emplace_back(
            PreviewCurve{curve.kind, static_cast<std::uint32_t>(scene.points.size()), 0});
        curve.controlVertices.forEach(0, curve.controlVertices.size(), [&](const Vec3& v) {
            scene.points.push_back(relative(v, scene.origin));
        });
        shown.count = static_cast<std::uint32_t>(scene.points.size()) - shown.first;
    }
    scene.firstControlPoint = static_cast<std::uint32_t>(scene.points.size());
    for (const ControlPointPose& p : mesh.controlPoints) {
        scene.points.push_back(relative(p.position, scene.origin));
    }
    scene.controlPointCount = static_cast<std::uint32_t>(mesh.controlPoints.size());
    scene.mainDirection = mainDirection(mesh.controlPoints);
    return scene;
}

} // namespace trassolin::gui
