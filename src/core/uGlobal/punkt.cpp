#include "uGlobal/punkt.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace trassolin {

void TPunkt::resetPose() {
    x = y = z = 0.0;
    nx = 0.0;
    ny = 1.0;
    nz = 0.0;
    xrot = yrot = zrot = 0.0;
}

void TPunkt::difference(const TPunkt& other, TPunkt& result) const {
    result.x = x - other.x;
    result.y = y - other.y;
    result.z = z - other.z;
    result.xrot = xrot - other.xrot;
    result.yrot = yrot - other.yrot;
    result.zrot = zrot - other.zrot;
}

double TPunkt::length() const { return std::sqrt(x * x + y * y + z * z); }

double TPunkt::horizontalLength() const { return std::sqrt(x * x + z * z); }

void TPunkt::normalFromRotations() {
    const double sx = std::sin(xrot), cx = std::cos(xrot);
    const double sy = std::sin(yrot), cy = std::cos(yrot);
    const double sz = std::sin(zrot), cz = std::cos(zrot);
    nx = -cy * sz + sy * sx * cz;
    ny = cx * cz;
    nz = -sy * sz - cy * sx * cz;
}

void TPunkt::offsetLateral(double d) {
    const double cz = std::cos(zrot);
    x += std::cos(yrot) * cz * d;
    y += std::sin(zrot) * d;
    z += std::sin(yrot) * cz * d;
}

namespace {
// Turns the pair (a, b) by angle: a' = cos*a - sin*b, b' = sin*a + cos*b.
void turn(double& a, double& b, double c, double s) {
    const double a0 = a;
    a = c * a0 - s * b;
    b = s * a0 + c * b;
}
} // namespace

void TPunkt::rotateX(double a) {
    const double c = std::cos(a), s = std::sin(a);
    turn(y, z, c, s);
    turn(ny, nz, c, s);
    xrot += a;
}

void TPunkt::rotateY(double a) {
    const double c = std::cos(a), s = std::sin(a);
    turn(x, z, c, s);
    turn(nx, nz, c, s);
    yrot += a;
}

void TPunkt::rotateZ(double a) {
    const double c = std::cos(a), s = std::sin(a);
    turn(x, y, c, s);
    turn(nx, ny, c, s);
    zrot += a;
}

double horizontalCross(const TPunkt& a, const TPunkt& b) { return a.z * b.x - a.x * b.z; }

int TPunkteSammlung::add() {
    points_.emplace_back();
    return count() - 1;
}

TPunkt* TPunkteSammlung::get(int index) {
    if (index < 0) throw std::out_of_range("TPunkteSammlung::get: index " + std::to_string(index));
    return index < count() ? &points_[static_cast<std::size_t>(index)] : nullptr;
}

const TPunkt* TPunkteSammlung::get(int index) const {
    return const_cast<TPunkteSammlung*>(this)->get(index);
}

void TPunkteSammlung::erase(int index) {
    if (index < 0 || index >= count()) return;
    points_.erase(points_.begin() + index);
}

void TPunkteSammlung::computeCentroid() {
    centroid_.resetPose();
    if (points_.empty()) return;
    for (const TPunkt& p : points_) {
        centroid_.x += p.x;
        centroid_.y += p.y;
        centroid_.z += p.z;
    }
    const double n = static_cast<double>(points_.size());
    centroid_.x /= n;
    centroid_.y /= n;
    centroid_.z /= n;
}

} // namespace trassolin
