#include "generation/traffic.h"

#include "uGlobal/checked_math.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace trassolin {

namespace {

Vec3 positionOf(const TPunkt& p) { return {p.x, p.y, p.z}; }

// a + k (b - a) / m
Vec3 between(const Vec3& a, const Vec3& b, double k, double m) {
    return {a[0] + k * (b[0] - a[0]) / m, a[1] + k * (b[1] - a[1]) / m,
            a[2] + k * (b[2] - a[2]) / m};
}

double squaredDistance(const Vec3& a, const Vec3& b) {
    const double dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
    return dx * dx + dy * dy + dz * dz;
}

std::vector<Vec3> pointsOf(const MeshCurve& curve) {
    std::vector<Vec3> points;
    points.reserve(curve.controlVertices.size());
    curve.controlVertices.forEach(0, curve.controlVertices.size(),
                                  [&](const Vec3& p) { points.push_back(p); });
    return points;
}

void replacePoints(MeshCurve& curve, const std::vector<Vec3>& points) {
    BlockList<Vec3> replaced;
    for (const Vec3& p : points) replaced.push_back(p);
    curve.controlVertices = std::move(replaced);
}

} // namespace

TrafficCurves startTrafficCurves(const RunInputs& in) {
    TrafficCurves curves;
    if (in.curveMiddle) curves.middle = MeshCurve{CurveKind::Middle, "splineMitte", {}};
    if (in.curveRight) curves.right = MeshCurve{CurveKind::Right, "splineRechts", {}};
    if (in.curveLeft) curves.left = MeshCurve{CurveKind::Left, "splineLinks", {}};
    return curves;
}

void addTrafficPoints(const RunInputs& in, TrafficCurves& curves, const TPunkt& sample, double c) {
    const double widening = std::fabs(c) * in.schleppkurve;
    if (curves.middle) curves.middle->add(positionOf(sample));
    if (curves.right) {
        TPunkt p = sample;
        p.offsetLateral(-(in.breite + widening * (2 + signum(c))) / 200.0 * in.rechtsProzent);
        curves.right->add(positionOf(p));
    }
    if (curves.left) {
        TPunkt p = sample;
        p.offsetLateral((in.breite + widening * (2 - signum(c))) / 200.0 * in.linksProzent);
        curves.left->add(positionOf(p));
    }
}

void finishTrafficCurve(MeshCurve& curve) {
    const std::size_t n = curve.controlVertices.size();
    if (n >= 4 || n < 2) return;
    const std::vector<Vec3> h = pointsOf(curve);
    if (n == 2) {
        replacePoints(curve, {h[0], between(h[0], h[1], 1, 3), between(h[0], h[1], 2, 3), h[1]});
    } else if (squaredDistance(h[0], h[1]) >= squaredDistance(h[1], h[2])) {
        replacePoints(curve, {h[0], between(h[0], h[1], 1, 2), h[1], h[2]});
    } else {
        replacePoints(curve, {h[0], h[1], between(h[1], h[2], 1, 2), h[2]});
    }
}

void reverseTrafficCurve(MeshCurve& curve) {
    // The block list has no random access: reversed through a copy of the points.
    std::vector<Vec3> points = pointsOf(curve);
    std::reverse(points.begin(), points.end());
    replacePoints(curve, points);
}

std::array<double, 3> aiLaneWidths(const RunInputs& in) {
    // A side curve at p percent lies B/2 * p/100 from the centre; the borders lie at +-B/2.
    const auto lane = [&](double percent) {
        const double share = percent / 100.0;
        return std::fabs(in.breite) * std::min(std::fabs(1.0 - share), std::fabs(1.0 + share));
    };
    return {requireFinite(std::fabs(in.breite)), requireFinite(lane(in.rechtsProzent)),
            requireFinite(lane(in.linksProzent))};
}

} // namespace trassolin
