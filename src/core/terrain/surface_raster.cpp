#include "terrain/surface_raster.h"

#include <algorithm>
#include <cmath>

namespace trassolin {

namespace {

// Twice the signed area of (a, b, p) in grid units; positive when p lies to the left of a→b.
double edge(double ax, double az, double bx, double bz, double px, double pz) {
    return (bx - ax) * (pz - az) - (bz - az) * (px - ax);
}

// Below this (in grid cells²) a triangle is seen edge-on: it covers no ground.
constexpr double kEdgeOnArea = 1e-9;
// Points this close to an edge (as a fraction of the triangle) count as on it.
constexpr double kOnEdge = 1e-9;

} // namespace

void rasterize(const SurfaceTriangle& t, const SampleGrid& grid,
               const std::function<void(int column, int row, double y)>& visit) {
    const auto u = [&](const std::array<double, 3>& p) { return (p[0] - grid.x0) / grid.dx; };
    const auto v = [&](const std::array<double, 3>& p) { return (p[2] - grid.z0) / grid.dz; };
    const double au = u(t.a), av = v(t.a), bu = u(t.b), bv = v(t.b), cu = u(t.c), cv = v(t.c);
    const double area = edge(au, av, bu, bv, cu, cv);
    if (!(std::abs(area) > kEdgeOnArea)) return; // NaN as well
    const double firstColumn = std::max(0.0, std::ceil(std::min({au, bu, cu})));
    const double lastColumn = std::min(grid.columns - 1.0, std::floor(std::max({au, bu, cu})));
    const double firstRow = std::max(0.0, std::ceil(std::min({av, bv, cv})));
    const double lastRow = std::min(grid.rows - 1.0, std::floor(std::max({av, bv, cv})));
    for (double r = firstRow; r <= lastRow; ++r) {
        for (double c = firstColumn; c <= lastColumn; ++c) {
            const double wa = edge(bu, bv, cu, cv, c, r) / area;
            const double wb = edge(cu, cv, au, av, c, r) / area;
            const double wc = 1.0 - wa - wb;
            if (wa < -kOnEdge || wb < -kOnEdge || wc < -kOnEdge) continue;
            visit(static_cast<int>(c), static_cast<int>(r),
                  wa * t.a[1] + wb * t.b[1] + wc * t.c[1]);
        }
    }
}

} // namespace trassolin
