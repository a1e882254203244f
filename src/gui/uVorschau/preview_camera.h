#pragma once

// The preview's camera: an orbit around a target point, in the scene's axes (metres, +Y up,
// a road along +Z has +X on its left). Plain arithmetic in double, without OpenGL, so that
// what the picture shows can be computed and tested: where a point of the road appears on
// the screen, and which ray of the world a pixel sees.

#include "mesh/road_mesh.h"

#include <array>
#include <optional>

namespace trassolin::gui {

// A 4 × 4 matrix in OpenGL's order: column after column.
using Mat4 = std::array<double, 16>;

Mat4 multiply(const Mat4& a, const Mat4& b);
Mat4 translation(const Vec3& offset);

// The widget's drawing area in logical pixels.
struct Viewport {
    double width = 1.0, height = 1.0;
    double aspect() const { return width / height; }
};

// Pixels from the widget's top left; depth 0 at the near plane, 1 at the far plane.
struct ScreenPoint {
    double x = 0.0, y = 0.0, depth = 0.0;
};

// From `origin` along the unit vector `direction`.
struct Ray {
    Vec3 origin{};
    Vec3 direction{};
    Vec3 at(double distance) const;
};

class PreviewCamera {
public:
    // Vertical field of view.
    static constexpr double kFieldOfViewDegrees = 40.0;

    // Looks at the middle of `box` obliquely from above, across `along` (the horizontal
    // direction in which the road mainly runs, rad from +X towards +Z), as close as the whole
    // box allows in `viewport`.
    void fit(const BoundingBox& box, const Viewport& viewport, double along = 0.0);
    // Straight down on the same target, +Z up on the screen (+X then lies to the left).
    void topView();
    // A drag of the mouse: sideways turns about the vertical through the target, up and
    // down tilts; looking from below the ground is allowed (back faces are seen from there).
    void orbit(double dxPixels, double dyPixels);
    // Moves the target so that the point under the mouse follows it, at the target's depth.
    void pan(double dxPixels, double dyPixels, const Viewport& viewport);
    // Closer (positive steps, one per notch of the wheel) or farther.
    void zoom(double steps);
    void lookAt(const Vec3& target, double distance);

    const Vec3& target() const { return target_; }
    double distance() const { return distance_; }
    double yaw() const { return yaw_; }     // rad, about +Y
    double pitch() const { return pitch_; } // rad, above the horizon
    void setAngles(double yaw, double pitch);
    Vec3 eye() const;
    // The camera's unit axes in the world: to the right of the screen, up the screen, and
    // the direction it looks in.
    Vec3 right() const;
    Vec3 up() const;
    Vec3 forward() const;

    double nearPlane() const;
    double farPlane() const;
    Mat4 view() const;
    Mat4 projection(const Viewport& viewport) const;
    // Projection × view × translation to `modelOrigin`: for vertices stored relative to it.
    Mat4 viewProjection(const Viewport& viewport, const Vec3& modelOrigin = {}) const;

    // Where `world` appears; nothing when it lies behind the camera or before its near plane.
    std::optional<ScreenPoint> project(const Vec3& world, const Viewport& viewport) const;
    // The ray from the eye through the pixel (x, y).
    Ray rayThrough(double x, double y, const Viewport& viewport) const;

private:
    Vec3 target_{0.0, 0.0, 0.0};
    double distance_ = 100.0;
    double yaw_ = 0.0;
    double pitch_ = 0.5;
    double sceneRadius_ = 50.0; // m; keeps the far plane behind the whole road
};

// Whether a road's box shows another road than the one the camera was fitted to: a road
// elsewhere or of another size (another file), not the same road after an edit.
bool showsAnotherRoad(const BoundingBox& framed, const BoundingBox& now);

} // namespace trassolin::gui
