#include "terrain/height_map.h"

#include "support/test_support.h"
#include "terrain/ground_points.h"
#include "uGlobal/errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace trassolin {
namespace {

GreyImage16 imageOf(int width, int height, const std::function<std::uint16_t(int, int)>& value) {
    GreyImage16 image(width, height);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c)
            image.at(c, r) = value(c, r);
    }
    return image;
}

std::uint16_t scattered(int c, int r) {
    return static_cast<std::uint16_t>((c * 7919 + r * 104729 + c * r * 31) % 65536);
}

TEST(HeightMap, givesEachPixelsHeightExactlyAtItsCentreEdgesAndCornersIncluded) {
    // 5 × 4 pixels, 2 m apart, moved by the terrain node: x from 96 to 104, z from -53 to -47.
    const HeightMap ground(imageOf(5, 4, scattered), {300.0, 2.0, 100.0, -7.5, -50.0});
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 5; ++c) {
            const double x = 96.0 + 2.0 * c, z = -53.0 + 2.0 * r;
            const auto h = ground.heightAt(x, z);
            ASSERT_TRUE(h) << c << ", " << r;
            EXPECT_EQ(*h, scattered(c, r) / 65535.0 * 300.0 - 7.5) << c << ", " << r;
            EXPECT_EQ(ground.xOfColumn(c), x);
            EXPECT_EQ(ground.zOfRow(r), z);
        }
    }
    EXPECT_EQ(ground.sizeX(), 8.0);
    EXPECT_EQ(ground.sizeZ(), 6.0);

    // Spacings and places whose arithmetic does not come out even in binary.
    for (const double spacing : {0.1, 0.3, 0.7, 3.3}) {
        const HeightMap odd(imageOf(9, 9, scattered), {255.0, spacing, 1234.567, 0.0, -98.7654});
        for (int r = 0; r < 9; ++r) {
            for (int c = 0; c < 9; ++c) {
                EXPECT_EQ(*odd.heightAt(odd.xOfColumn(c), odd.zOfRow(r)),
                          scattered(c, r) / 65535.0 * 255.0)
                    << spacing << ": " << c << ", " << r;
            }
        }
    }
}

TEST(HeightMap, blendsLinearlyBetweenPixels) {
    // Value = 1000 + 10·column + 100·row: bilinear sampling reproduces a plane exactly.
    const HeightMap ground(imageOf(9, 9, [](int c, int r) { return 1000 + 10 * c + 100 * r; }),
                           {65535.0, 1.0});
    for (const auto& [x, z] : {std::pair{-4.0, -4.0},
                               {-3.5, 0.25},
                               {0.1, 3.9},
                               {3.75, -0.5},
                               {4.0, 1.5},
                               {-1.25, 4.0}}) {
        const double column = x + 4.0, row = z + 4.0;
        EXPECT_NEAR(*ground.heightAt(x, z), 1000 + 10 * column + 100 * row, 1e-9) << x << ", " << z;
    }
    // A single raised pixel: half its height halfway to a neighbour, a quarter in the cell's
    // middle.
    const HeightMap bump(imageOf(3, 3, [](int c, int r) { return c == 1 && r == 1 ? 40000 : 0; }),
                         {65535.0, 1.0});
    EXPECT_EQ(*bump.heightAt(0.0, 0.0), 40000.0);
    EXPECT_EQ(*bump.heightAt(-0.5, 0.0), 20000.0);
    EXPECT_EQ(*bump.heightAt(0.0, 0.5), 20000.0);
    EXPECT_EQ(*bump.heightAt(0.5, 0.5), 10000.0);
}

TEST(HeightMap, putsPixelZeroAtMinusHalfTheSizeWithColumnsAlongXAndRowsAlongZ) {
    // 1025² pixels at 2 m: a 2048 m map from -1024 to +1024 on both axes.
    const HeightMap ground(imageOf(1025, 1025, [](int c, int r) { return 3 * c + 7 * r; }),
                           {65535.0, 2.0});
    EXPECT_EQ(*ground.heightAt(-1024.0, -1024.0), 0.0);
    EXPECT_EQ(*ground.heightAt(1024.0, -1024.0), 3 * 1024.0);
    EXPECT_EQ(*ground.heightAt(-1024.0, 1024.0), 7 * 1024.0);
    EXPECT_EQ(*ground.heightAt(0.0, 0.0), 10 * 512.0);
    EXPECT_EQ(*ground.heightAt(2.0, 0.0), 10 * 512.0 + 3);
}

TEST(HeightMap, knowsNoGroundOutsideTheMap) {
    const HeightMap ground(imageOf(3, 3, scattered), {255.0, 1.0});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [x, z] : {std::pair{-1.000001, 0.0},
                               {1.000001, 0.0},
                               {0.0, -1.01},
                               {0.0, 1.01},
                               {5.0, 5.0},
                               {nan, 0.0},
                               {0.0, nan}}) {
        EXPECT_FALSE(ground.heightAt(x, z)) << x << ", " << z;
    }
    EXPECT_EQ(ground.extentText(','), "x von -1 bis 1 m, z von -1 bis 1 m");
}

TEST(HeightMap, refusesAPlacementThatSpansNoGround) {
    const struct {
        TerrainPlacement placement;
        int size;
        const char* message;
    } cases[] = {
        {{0.0, 1.0}, 3, "Die Höhenskala des Geländes muss größer als 0 sein"},
        {{-255.0, 1.0}, 3, "Die Höhenskala des Geländes muss größer als 0 sein"},
        {{255.0, 0.0}, 3, "Die Einheiten pro Pixel des Geländes müssen größer als 0 sein"},
        {{255.0, std::numeric_limits<double>::infinity()},
         3,
         "Die Einheiten pro Pixel des Geländes müssen größer als 0 sein"},
        {{255.0, 1.0}, 1, "Ein Höhenbild braucht mindestens 2 × 2 Pixel"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(test::thrownMessage<TrassolinError>(
                      [&] { HeightMap(imageOf(c.size, c.size, scattered), c.placement); }),
                  c.message);
    }
}

TEST(HeightMap, turnsHeightsIntoPixelValuesAndBack) {
    const HeightMap ground(imageOf(2, 2, scattered), {255.0, 1.0, 0.0, 10.0, 0.0});
    EXPECT_EQ(ground.valueOfHeight(10.0), 0);
    EXPECT_EQ(ground.valueOfHeight(265.0), 65535);
    EXPECT_EQ(ground.valueOfHeight(9.0), 0);        // below the map's range
    EXPECT_EQ(ground.valueOfHeight(1000.0), 65535); // above it
    EXPECT_EQ(ground.valueOfHeight(std::numeric_limits<double>::quiet_NaN()), 0);
    for (const int v : {1, 2, 12345, 40000, 65534}) {
        EXPECT_EQ(ground.valueOfHeight(ground.heightOfValue(v)), v);
    }
}

TEST(HeightMap, describesItselfForTheModder) {
    const HeightMap ground(imageOf(2049, 3, [](int c, int) { return c == 7 ? 65535 : 6553; }),
                           {255.0, 1.0});
    EXPECT_EQ(groundDescription(ground, ','),
              "2049 × 3 Pixel, 2048 × 2 m, 1 m je Pixel, Höhen von 25,498 bis 255 m");
}

TEST(HeightMap, loadsTheHeightMapOfAFile) {
    test::TempDir dir;
    test::writeHeightMap(dir / "dem.png", 5, 5, scattered);
    const HeightMap ground = loadHeightMap(dir / "dem.png", {255.0, 4.0});
    EXPECT_EQ(ground.sizeX(), 16.0);
    EXPECT_EQ(*ground.heightAt(-8.0, 8.0), scattered(0, 4) / 65535.0 * 255.0);
    // A placement that cannot be is refused before the image is read.
    EXPECT_EQ(test::thrownMessage<TrassolinError>([&] {
                  loadHeightMap(dir / "fehlt.png", {255.0, 0.0});
              }),
              "Die Einheiten pro Pixel des Geländes müssen größer als 0 sein");
}

// Control points on the ground.

TSplinePunkte pointsAt(std::initializer_list<std::pair<double, double>> xz) {
    TSplinePunkte points;
    std::vector<TSplinePkt> list;
    for (const auto& [x, z] : xz) {
        TSplinePkt p;
        p.X = x, p.Z = z, p.Y = 99.0, p.Xrot = 1.5, p.Yrot = 30.0, p.Zrot = -2.0;
        list.push_back(p);
    }
    points.assignPoints(list);
    return points;
}

TEST(GroundPoints, putsEveryPointOnASlopeToTheMillimetre) {
    // Rising 0.25 m per metre along x: value 1000 per 4 m pixel step at a scale of 65.535 m.
    const HeightMap slope(imageOf(65, 65, [](int c, int) { return 1000 * c; }), {65.535, 4.0});
    TSplinePunkte points = pointsAt({{-128.0, 0.0}, {-10.0, 50.0}, {33.3, -120.0}, {128.0, 128.0}});
    points.setCurrent(2);
    placeOnGround(points, slope, 0.05, ',');
    const double expected[] = {0.05, 29.55, 40.375, 64.05};
    for (int i = 0; i < 4; ++i) {
        const TSplinePkt& p = *points.get(i);
        EXPECT_NEAR(p.Y, expected[i], 0.0005) << i;
        EXPECT_EQ(p.Y, std::round(p.Y * 1000.0) / 1000.0) << i;
        // Nothing else of the point moves.
        EXPECT_EQ(p.Xrot, 1.5);
        EXPECT_EQ(p.Yrot, 30.0);
        EXPECT_EQ(p.Zrot, -2.0);
    }
    EXPECT_EQ(points.get(2)->X, 33.3);
    EXPECT_EQ(points.current(), 2);
}

TEST(GroundPoints, aPointOffTheMapChangesNoPoint) {
    const HeightMap ground(imageOf(3, 3, scattered), {255.0, 10.0});
    TSplinePunkte points = pointsAt({{0.0, 0.0}, {10.0, 10.0}, {10.5, -3.25}});
    EXPECT_EQ(test::thrownMessage<TrassolinError>([&] { placeOnGround(points, ground, 0.0, ','); }),
              "SplinePunkt 3 (x = 10,5, z = -3,25) liegt außerhalb des Geländes (x von -10 bis 10 "
              "m, z von -10 bis 10 m)");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(points.get(i)->Y, 99.0);
}

} // namespace
} // namespace trassolin
