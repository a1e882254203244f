#pragma once

// What the user points at in the preview: a control point's dot, or a place on the road's
// surfaces. Plain geometry over the preview's scene and camera, without OpenGL.

#include "uVorschau/preview_camera.h"
#include "uVorschau/preview_scene.h"

#include <cstdint>
#include <optional>

namespace trassolin::gui {

// The control point whose dot lies nearest to the pixel (x, y), no farther than `radius`
// pixels; of dots at the same distance the one nearer to the eye. Points behind the camera
// cannot be picked.
std::optional<std::uint32_t> pickControlPoint(const PreviewScene& scene,
                                              const PreviewCamera& camera,
                                              const Viewport& viewport, double x, double y,
                                              double radius);

// The distance along `ray` at which it meets the triangle a, b, c, seen from either side;
// nothing when it passes by, runs parallel to it or meets it behind its origin.
std::optional<double> hitTriangle(const Ray& ray, const Vec3& a, const Vec3& b, const Vec3& c);

// The first place where `ray` meets a triangle of the scene, in world coordinates.
std::optional<Vec3> pickSurface(const PreviewScene& scene, const Ray& ray);

} // namespace trassolin::gui
