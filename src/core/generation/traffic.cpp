#include "generation/traffic.h"

#include "uGlobal/checked_math.h"

#include <algorithm>
#include <cmath>

namespace trassolin {

namespace {

void addPoint(TrafficCurve& curve, const TPunkt& p) {
    curve.lines.add(p);
    if (curve.head.size() < 4) curve.head.push_back(p);
}

// a + k (b - a) / m
TPunkt between(const TPunkt& a, const TPunkt& b, double k, double m) {
    TPunkt p = a;
    p.x = a.x + k * (b.x - a.x) / m;
    p.y = a.y + k * (b.y - a.y) / m;
    p.z = a.z + k * (b.z - a.z) / m;
    return p;
}

double squaredDistance(const TPunkt& a, const TPunkt& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return dx * dx + dy * dy + dz * dz;
}

} // namespace

void addTrafficPoints(const RunInputs& in, RunState& state, const TPunkt& sample, double c) {
    const double widening = std::fabs(c) * in.schleppkurve;
    if (state.middle) addPoint(*state.middle, sample);
    if (state.right) {
        TPunkt p = sample;
        p.offsetLateral(-(in.breite + widening * (2 + signum(c))) / 200.0 * in.rechtsProzent);
        addPoint(*state.right, p);
    }
    if (state.left) {
        TPunkt p = sample;
        p.offsetLateral((in.breite + widening * (2 - signum(c))) / 200.0 * in.linksProzent);
        addPoint(*state.left, p);
    }
}

void finishTrafficCurve(TrafficCurve& curve) {
    const int n = curve.lines.count();
    if (n >= 4 || n < 2) return;
    std::vector<TPunkt> padded;
    const auto& h = curve.head;
    if (n == 2) {
        padded = {h[0], between(h[0], h[1], 1, 3), between(h[0], h[1], 2, 3), h[1]};
    } else if (squaredDistance(h[0], h[1]) >= squaredDistance(h[1], h[2])) {
        padded = {h[0], between(h[0], h[1], 1, 2), h[1], h[2]};
    } else {
        padded = {h[0], h[1], between(h[1], h[2], 1, 2), h[2]};
    }
    CurveLines lines;
    for (const TPunkt& p : padded) lines.add(p);
    curve.lines = std::move(lines);
    curve.head = std::move(padded);
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
