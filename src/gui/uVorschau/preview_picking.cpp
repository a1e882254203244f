#include "uVorschau/preview_picking.h"

#include <cmath>
#include <limits>

namespace trassolin::gui {

namespace {

Vec3 minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3 toDouble(const std::array<float, 3>& p) { return {p[0], p[1], p[2]}; }

} // namespace

std::optional<std::uint32_t> pickControlPoint(const PreviewScene& scene,
                                              const PreviewCamera& camera,
                                              const Viewport& viewport, double x, double y,
                                              double radius) {
    std::optional<std::uint32_t> best;
    double bestDistance = radius, bestDepth = std::numeric_limits<double>::infinity();
    for (std::uint32_t i = 0; i < scene.controlPointCount; ++i) {
        const auto shown = camera.project(scene.controlPoint(i), viewport);
        if (!shown) continue;
        const double distance = std::hypot(shown->x - x, shown->y - y);
        if (distance > bestDistance) continue;
        if (distance == bestDistance && shown->depth >= bestDepth) continue;
        best = i;
        bestDistance = distance;
        bestDepth = shown->depth;
    }
    return best;
}

// Möller and Trumbore, "Fast, Minimum Storage Ray/Triangle Intersection" (1997).
std::optional<double> hitTriangle(const Ray& ray, const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3 ab = minus(b, a), ac = minus(c, a);
    const Vec3 p = cross(ray.direction, ac);
    const double determinant = dot(ab, p);
    if (std::abs(determinant) < 1e-12) return std::nullopt; // parallel or degenerate
    const double inverse = 1.0 / determinant;
    const Vec3 s = minus(ray.origin, a);
    const double u = dot(s, p) * inverse;
    if (u < 0.0 || u > 1.0) return std::nullopt;
    const Vec3 q = cross(s, ab);
    const double v = dot(ray.direction, q) * inverse;
    if (v < 0.0 || u + v > 1.0) return std::nullopt;
    const double t = dot(ac, q) * inverse;
    if (t <= 0.0) return std::nullopt;
    return t;
}

std::optional<Vec3> pickSurface(const PreviewScene& scene, const Ray& ray) {
    // In the scene's own coordinates: the vertices are stored relative to its origin.
    const Ray local{minus(ray.origin, scene.origin), ray.direction};
    std::optional<double> nearest;
    for (std::size_t i = 0; i + 2 < scene.triangles.size(); i += 3) {
        const auto hit = hitTriangle(local, toDouble(scene.vertices[scene.triangles[i]].position),
                                     toDouble(scene.vertices[scene.triangles[i + 1]].position),
                                     toDouble(scene.vertices[scene.triangles[i + 2]].position));
        if (hit && (!nearest || *hit < *nearest)) nearest = hit;
    }
    if (!nearest) return std::nullopt;
    return ray.at(*nearest);
}

} // namespace trassolin::gui
