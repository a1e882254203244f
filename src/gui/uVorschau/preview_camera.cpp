#include "uVorschau/preview_camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace trassolin::gui {

namespace {

constexpr double kPi = std::numbers::pi;
// Radians per pixel of a drag.
constexpr double kOrbitPerPixel = 0.008;
// Just short of straight down from below: the horizon must not turn over.
constexpr double kLowestPitch = -89.0 * kPi / 180.0;
constexpr double kClosest = 0.5;  // m from the target
constexpr double kFarthest = 1e7; // m
constexpr double kZoomPerStep = 0.85;

Vec3 add(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3 scaled(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3 normalised(const Vec3& a) {
    const double length = std::sqrt(dot(a, a));
    return length > 0.0 ? scaled(a, 1.0 / length) : a;
}

double tanHalfFieldOfView() {
    return std::tan(PreviewCamera::kFieldOfViewDegrees * kPi / 360.0);
}

} // namespace

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 m{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[column * 4 + k];
            m[column * 4 + row] = sum;
        }
    }
    return m;
}

Mat4 translation(const Vec3& offset) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, offset[0], offset[1], offset[2], 1};
}

Vec3 Ray::at(double distance) const { return add(origin, scaled(direction, distance)); }

void PreviewCamera::fit(const BoundingBox& box, const Viewport& viewport, double along) {
    if (box.empty()) return;
    target_ = scaled(add(box.min, box.max), 0.5);
    const Vec3 half = scaled(add(box.max, scaled(box.min, -1.0)), 0.5);
    sceneRadius_ = std::max(1.0, std::sqrt(dot(half, half)));
    // The road runs across the picture (the screen's right, (cos yaw, 0, -sin yaw), along
    // it), seen a little askew and a good way up, so that slopes and verges read well.
    yaw_ = std::remainder(-along + 0.35, 2.0 * kPi);
    pitch_ = 0.75;
    // From the distance at which the sphere around the box fills the picture's height, in
    // as far as the box's corners allow: they come nearer to the edges as the camera does.
    const double halfAngle = kFieldOfViewDegrees * kPi / 360.0;
    distance_ = std::clamp(sceneRadius_ / std::sin(halfAngle) * 1.05, kClosest, kFarthest);
    for (int step = 0; step < 8; ++step) {
        double reach = 0.0; // the largest distance of a corner from the middle, 1 at an edge
        for (int corner = 0; corner < 8; ++corner) {
            const Vec3 p{corner & 1 ? box.max[0] : box.min[0], corner & 2 ? box.max[1] : box.min[1],
                         corner & 4 ? box.max[2] : box.min[2]};
            const auto shown = project(p, viewport);
            if (!shown) {
                reach = 2.0;
                break;
            }
            reach = std::max({reach, std::abs(shown->x / viewport.width * 2.0 - 1.0),
                              std::abs(shown->y / viewport.height * 2.0 - 1.0)});
        }
        distance_ = std::clamp(distance_ * reach / 0.92, kClosest, kFarthest);
    }
}

void PreviewCamera::topView() {
    yaw_ = kPi;
    pitch_ = kPi / 2.0;
}

void PreviewCamera::orbit(double dxPixels, double dyPixels) {
    setAngles(yaw_ - dxPixels * kOrbitPerPixel, pitch_ + dyPixels * kOrbitPerPixel);
}

void PreviewCamera::setAngles(double yaw, double pitch) {
    yaw_ = std::remainder(yaw, 2.0 * kPi);
    pitch_ = std::clamp(pitch, kLowestPitch, kPi / 2.0);
}

void PreviewCamera::pan(double dxPixels, double dyPixels, const Viewport& viewport) {
    const double metresPerPixel = 2.0 * distance_ * tanHalfFieldOfView() / viewport.height;
    target_ = add(target_, add(scaled(right(), -dxPixels * metresPerPixel),
                               scaled(up(), dyPixels * metresPerPixel)));
}

void PreviewCamera::zoom(double steps) {
    distance_ = std::clamp(distance_ * std::pow(kZoomPerStep, steps), kClosest, kFarthest);
}

void PreviewCamera::lookAt(const Vec3& target, double distance) {
    target_ = target;
    distance_ = std::clamp(distance, kClosest, kFarthest);
}

Vec3 PreviewCamera::forward() const {
    // From the eye to the target; the eye stands `distance` back along the opposite.
    return {-std::cos(pitch_) * std::sin(yaw_), -std::sin(pitch_),
            -std::cos(pitch_) * std::cos(yaw_)};
}

Vec3 PreviewCamera::right() const { return {std::cos(yaw_), 0.0, -std::sin(yaw_)}; }

// Derived from yaw and pitch rather than from the world's up, so that it stays defined when
// looking straight down.
Vec3 PreviewCamera::up() const { return normalised(cross(right(), forward())); }

Vec3 PreviewCamera::eye() const { return add(target_, scaled(forward(), -distance_)); }

double PreviewCamera::nearPlane() const { return std::max(0.01, distance_ * 0.01); }

double PreviewCamera::farPlane() const { return 2.0 * distance_ + 2.0 * sceneRadius_; }

Mat4 PreviewCamera::view() const {
    const Vec3 r = right(), u = up(), f = forward(), e = eye();
    return {r[0], u[0], -f[0], 0.0,         r[1],        u[1],        -f[1],     0.0,
            r[2], u[2], -f[2], 0.0,         -dot(r, e),  -dot(u, e),  dot(f, e), 1.0};
}

Mat4 PreviewCamera::projection(const Viewport& viewport) const {
    const double f = 1.0 / tanHalfFieldOfView();
    const double n = nearPlane(), fa = farPlane();
    Mat4 m{};
    m[0] = f / viewport.aspect();
    m[5] = f;
    m[10] = (fa + n) / (n - fa);
    m[11] = -1.0;
    m[14] = 2.0 * fa * n / (n - fa);
    return m;
}

Mat4 PreviewCamera::viewProjection(const Viewport& viewport, const Vec3& modelOrigin) const {
    return multiply(projection(viewport), multiply(view(), translation(modelOrigin)));
}

std::optional<ScreenPoint> PreviewCamera::project(const Vec3& world,
                                                  const Viewport& viewport) const {
    const Mat4 m = viewProjection(viewport);
    std::array<double, 4> clip{};
    for (int row = 0; row < 4; ++row) {
        clip[row] = m[row] * world[0] + m[4 + row] * world[1] + m[8 + row] * world[2] + m[12 + row];
    }
    const double w = clip[3]; // the distance in front of the eye
    if (!(w >= nearPlane())) return std::nullopt;
    return ScreenPoint{(clip[0] / w + 1.0) / 2.0 * viewport.width,
                       (1.0 - clip[1] / w) / 2.0 * viewport.height, (clip[2] / w + 1.0) / 2.0};
}

Ray PreviewCamera::rayThrough(double x, double y, const Viewport& viewport) const {
    const double t = tanHalfFieldOfView();
    const double ndcX = 2.0 * x / viewport.width - 1.0;
    const double ndcY = 1.0 - 2.0 * y / viewport.height;
    const Vec3 direction = add(forward(), add(scaled(right(), ndcX * t * viewport.aspect()),
                                              scaled(up(), ndcY * t)));
    return {eye(), normalised(direction)};
}

bool showsAnotherRoad(const BoundingBox& framed, const BoundingBox& now) {
    if (framed.empty() || now.empty()) return framed.empty() != now.empty();
    const auto diagonal = [](const BoundingBox& box) {
        const Vec3 d = add(box.max, scaled(box.min, -1.0));
        return std::max(1.0, std::sqrt(dot(d, d)));
    };
    const double before = diagonal(framed), after = diagonal(now);
    // An edit widens, narrows or bends a road by a fraction of its size.
    if (after > 2.0 * before || after < 0.5 * before) return true;
    const Vec3 shift = scaled(add(add(now.min, now.max), scaled(add(framed.min, framed.max), -1.0)), 0.5);
    return std::sqrt(dot(shift, shift)) > 0.5 * before;
}

} // namespace trassolin::gui
