// Headings and climbs of the control points from their neighbours.
//
// The tangent at an inner point is the direction from its predecessor to its successor (the
// central difference of a chord-length-free Catmull-Rom spline): on points spaced evenly
// along a circle it is exactly the circle's tangent, and it never overshoots between unevenly
// spaced points the way a chord-length-weighted tangent can. The first and last point take the
// direction of the first and last chord.

#include "uSplinePkts/spline_punkte.h"

#include "uGlobal/numbers.h"

#include <cmath>
#include <numbers>

namespace trassolin {

namespace {

constexpr double kRadToDeg = 180.0 / std::numbers::pi;

// Below this horizontal length (m) two points stand above each other: no direction.
constexpr double kNoDirection = 1e-9;

} // namespace

int TSplinePunkte::setDirectionsFromNeighbours() {
    const int n = count();
    if (n < 2) return 0;
    int turned = 0;
    for (int i = 0; i < n; ++i) {
        const TSplinePkt& from = points_[static_cast<std::size_t>(i == 0 ? 0 : i - 1)];
        const TSplinePkt& to = points_[static_cast<std::size_t>(i == n - 1 ? n - 1 : i + 1)];
        const double dx = to.X - from.X, dy = to.Y - from.Y, dz = to.Z - from.Z;
        const double horizontal = std::hypot(dx, dz);
        if (!(horizontal > kNoDirection)) continue;
        TSplinePkt& p = points_[static_cast<std::size_t>(i)];
        // Refinement leaves a point along heading h with the chord direction (-sin h, cos h)
        // when Yrot = -h: so Yrot = atan2(dx, dz). A positive Xrot falls ahead.
        p.Yrot = decimalRound(std::atan2(dx, dz) * kRadToDeg, -3);
        p.Xrot = decimalRound(-std::atan(dy / horizontal) * kRadToDeg, -3);
        ++turned;
    }
    return turned;
}

} // namespace trassolin
