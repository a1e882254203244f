#include "terrain/surface_raster.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace trassolin {
namespace {

using Visits = std::map<std::pair<int, int>, std::vector<double>>;

Visits visitsOf(const std::vector<SurfaceTriangle>& triangles, const SampleGrid& grid) {
    Visits v;
    for (const SurfaceTriangle& t : triangles) {
        rasterize(t, grid, [&](int c, int r, double y) { v[{c, r}].push_back(y); });
    }
    return v;
}

double plane(double x, double z) {
    return 1.0 + 2.0 * x - 0.5 * z;
}

SurfaceTriangle onPlane(double ax, double az, double bx, double bz, double cx, double cz) {
    return {{ax, plane(ax, az), az}, {bx, plane(bx, bz), bz}, {cx, plane(cx, cz), cz}};
}

TEST(SurfaceRaster, twoTrianglesOfAQuadCoverEveryPointUnderItWithTheSurfacesHeight) {
    // Grid points 0.5 m apart from (-1, -1); the quad spans x 0…2, z 0…1.5.
    const SampleGrid grid{12, 12, -1.0, -1.0, 0.5, 0.5};
    for (const bool clockwise : {false, true}) {
        std::vector<SurfaceTriangle> quad = {onPlane(0, 0, 2, 0, 2, 1.5),
                                             onPlane(0, 0, 2, 1.5, 0, 1.5)};
        if (clockwise) {
            for (auto& t : quad)
                std::swap(t.b, t.c);
        }
        const Visits v = visitsOf(quad, grid);
        int covered = 0;
        for (int r = 0; r < grid.rows; ++r) {
            for (int c = 0; c < grid.columns; ++c) {
                const double x = -1.0 + 0.5 * c, z = -1.0 + 0.5 * r;
                const bool inside = x >= 0 && x <= 2 && z >= 0 && z <= 1.5;
                const auto it = v.find({c, r});
                ASSERT_EQ(it != v.end(), inside) << x << ", " << z;
                if (!inside) continue;
                ++covered;
                for (double y : it->second)
                    EXPECT_NEAR(y, plane(x, z), 1e-12);
            }
        }
        EXPECT_EQ(covered, 5 * 4);
    }
}

TEST(SurfaceRaster, passesOverFacesSeenEdgeOnAndPointsBeyondTheGrid) {
    const SampleGrid grid{4, 4, 0.0, 0.0, 1.0, 1.0};
    // A vertical end face: all three corners above one line on the ground.
    EXPECT_TRUE(visitsOf({{{0, 0, 0}, {3, 0, 3}, {1, 5, 1}}}, grid).empty());
    // Mostly beyond the grid: only the points 0…3 inside it.
    const Visits v = visitsOf({onPlane(-10, -10, 30, -10, -10, 30)}, grid);
    EXPECT_EQ(v.size(), 16u);
    EXPECT_EQ(v.begin()->first, (std::pair{0, 0}));
    EXPECT_EQ(v.rbegin()->first, (std::pair{3, 3}));
}

TEST(SparseGrid, keepsOneEntryPerIndexTheBetterOneInIndexOrder) {
    SparseGrid<int> g;
    for (const auto& [index, value] : {std::pair{9, 4}, {2, 7}, {9, 1}, {5, 5}, {2, 3}, {9, 8}}) {
        g.put(static_cast<std::size_t>(index), value);
    }
    const auto lowest = std::move(g).merged([](int a, int b) { return a < b; });
    ASSERT_EQ(lowest.size(), 3u);
    EXPECT_EQ(lowest[0].index, 2u);
    EXPECT_EQ(lowest[0].value, 3);
    EXPECT_EQ(lowest[1].index, 5u);
    EXPECT_EQ(lowest[1].value, 5);
    EXPECT_EQ(lowest[2].index, 9u);
    EXPECT_EQ(lowest[2].value, 1);
}

} // namespace
} // namespace trassolin
