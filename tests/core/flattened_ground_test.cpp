#include "terrain/flattened_ground.h"

#include "io/paths.h"
#include "support/test_support.h"
#include "terrain/footprint_mask.h"
#include "uGlobal/errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace trassolin {
namespace {

// 41 × 41 pixels at 1 m (x and z from -20 to 20) on a slope rising 0.1 m per metre along z,
// from 10 m; scale 65.535 m, so one value step is 1 mm.
HeightMap slope() {
    GreyImage16 image(41, 41);
    for (int r = 0; r < 41; ++r) {
        for (int c = 0; c < 41; ++c)
            image.at(c, r) = static_cast<std::uint16_t>(10000 + 100 * r);
    }
    return HeightMap(std::move(image), {65.535, 1.0});
}

// A level strip 6 m wide along z at height 12 m, from z = -20 to 20, as two triangles.
std::vector<SurfaceTriangle> levelStrip(double halfWidth, double y) {
    return {{{-halfWidth, y, -20}, {halfWidth, y, -20}, {halfWidth, y, 20}},
            {{-halfWidth, y, -20}, {halfWidth, y, 20}, {-halfWidth, y, 20}}};
}

std::map<std::size_t, std::uint16_t> byIndex(const std::vector<PixelChange>& changes) {
    std::map<std::size_t, std::uint16_t> m;
    for (const PixelChange& c : changes)
        m[c.index] = c.value;
    return m;
}

TEST(FlattenedGround, setsTheCorridorToTheSurfaceAndBlendsBackOverTheFalloff) {
    const HeightMap ground = slope();
    const auto changes = byIndex(flattenedPixels(ground, levelStrip(3.0, 12.0), {0.02, 4.0}, ','));
    for (int r = 0; r < 41; ++r) {
        const double own = 10.0 + 0.1 * r;
        for (int c = 0; c < 41; ++c) {
            const int x = c - 20;
            const auto it = changes.find(static_cast<std::size_t>(r * 41 + c));
            if (std::abs(x) <= 3) {
                // Under the strip: its height less the depth, to the value step.
                ASSERT_NE(it, changes.end()) << x;
                EXPECT_NEAR(ground.heightOfValue(it->second), 11.98, 0.0005) << x;
            } else if (std::abs(x) >= 3 + 4) {
                EXPECT_EQ(it, changes.end()) << x << ", row " << r; // outside the falloff
            } else {
                // From the corridor's edge (3 m) to the falloff (7 m): smoothstep of d / 4 m.
                ASSERT_NE(it, changes.end()) << x;
                const double t = (std::abs(x) - 3) / 4.0;
                const double expected = 11.98 + (own - 11.98) * t * t * (3 - 2 * t);
                EXPECT_NEAR(ground.heightOfValue(it->second), expected, 0.00051)
                    << x; // half a step
            }
        }
    }
}

TEST(FlattenedGround, keepsTheLowerOfTwoSurfacesOverOnePixel) {
    const HeightMap ground = slope();
    std::vector<SurfaceTriangle> both = levelStrip(2.0, 12.0);
    for (const auto& t : levelStrip(3.0, 11.0))
        both.push_back(t);
    const auto changes = byIndex(flattenedPixels(ground, both, {0.0, 0.0}, ','));
    EXPECT_EQ(changes.size(), 7u * 41u); // no falloff: the corridor alone
    for (const auto& [index, value] : changes)
        EXPECT_NEAR(ground.heightOfValue(value), 11.0, 0.0005);
}

TEST(FlattenedGround, refusesADepthOrFalloffBeyondItsRange) {
    const HeightMap ground = slope();
    EXPECT_EQ(test::thrownMessage<TrassolinError>([&] {
                  flattenedPixels(ground, levelStrip(3, 12), {-0.1, 5.0}, ',');
              }),
              "Die Tiefe unter der Straße muss zwischen 0 und 10 m liegen");
    for (const double falloff : {-1.0, 50.5, double(NAN)}) {
        EXPECT_EQ(test::thrownMessage<TrassolinError>([&] {
                      flattenedPixels(ground, levelStrip(3, 12), {0.02, falloff}, ',');
                  }),
                  "Der Übergang neben der Straße muss zwischen 0 und 50 m breit sein")
            << falloff;
    }
}

TEST(FlattenedGround, refusesARoadAboveOrBelowWhatTheHeightMapHolds) {
    // The slope's scale holds heights from 0 to 65.535 m.
    const HeightMap ground = slope();
    for (const auto& [y, height] : {std::pair{70.0, "69,98"}, std::pair{-1.0, "-1,02"}}) {
        EXPECT_EQ(test::thrownMessage<TrassolinError>([&] {
                      flattenedPixels(ground, levelStrip(3, y), {0.02, 5.0}, ',');
                  }),
                  "Die Straße liegt bei x = -3, z = -20 auf " + std::string(height) +
                      " m; die Höhenkarte fasst nur Höhen von 0 bis 65,535 m (heightScale und "
                      "Verschiebung der Karte)");
    }
    // Half a step beyond the highest value still rounds to it.
    EXPECT_NO_THROW(flattenedPixels(ground, levelStrip(3, 65.5554), {0.02, 0.0}, ','));
}

TEST(FlattenedGround, theCopyHoldsTheChangesAndEveryOtherPixelAsItWas) {
    test::TempDir dir;
    test::writeHeightMap(dir / "dem.png", 41, 41, [](int c, int r) {
        return static_cast<std::uint16_t>(10000 + 100 * r + c);
    });
    const HeightMap ground = loadHeightMap(dir / "dem.png", {65.535, 1.0});
    const auto changes = flattenedPixels(ground, levelStrip(3.0, 12.0), {0.02, 4.0}, ',');
    OutputFile out(dir / "flach.png");
    writeFlattenedHeightMap(out, dir / "dem.png", ground, changes);
    out.commit();
    const GreyImage16 copy = readGreyPng16(dir / "flach.png");
    const auto changed = byIndex(changes);
    for (int r = 0; r < 41; ++r) {
        for (int c = 0; c < 41; ++c) {
            const auto it = changed.find(static_cast<std::size_t>(r * 41 + c));
            EXPECT_EQ(copy.at(c, r), it == changed.end() ? ground.pixels().at(c, r) : it->second);
        }
    }
}

TEST(FlattenedGround, neverWritesOverItsOriginal) {
    test::TempDir dir;
    test::writeHeightMap(dir / "dem.png", 3, 3, [](int, int) { return 7; });
    const std::string before = test::readFile(dir / "dem.png");
    const HeightMap ground = loadHeightMap(dir / "dem.png", {255.0, 1.0});
    for (const auto& name : {dir / "dem.png", dir / "." / "dem.png"}) {
        EXPECT_EQ(test::thrownMessage<TrassolinError>([&] {
                      OutputFile out(name);
                      writeFlattenedHeightMap(out, dir / "dem.png", ground, {});
                      out.commit();
                  }),
                  "Die Höhenkarte " + displayPath(dir / "dem.png") +
                      " wird nicht überschrieben; bitte eine neue Datei wählen");
    }
    EXPECT_EQ(test::readFile(dir / "dem.png"), before);
}

// The footprint mask.

TEST(FootprintMask, marksTheRoadAndItsVergesAtTheHeightMapsPixels) {
    const HeightMap ground = slope();
    const SampleGrid grid = maskGrid(ground, 0);
    const auto mask = footprint(grid, levelStrip(3.0, 12.0), levelStrip(4.5, 12.0));
    std::map<std::size_t, std::uint8_t> m;
    for (const auto& e : mask)
        m[e.index] = e.value;
    for (int r = 0; r < 41; ++r) {
        for (int c = 0; c < 41; ++c) {
            const int x = c - 20;
            const auto it = m.find(static_cast<std::size_t>(r * 41 + c));
            const std::uint8_t expected = std::abs(x) <= 3   ? kMaskRoad
                                          : std::abs(x) <= 4 ? kMaskVerge
                                                             : 0;
            EXPECT_EQ(it == m.end() ? 0 : it->second, expected) << x << ", " << r;
        }
    }
}

TEST(FootprintMask, aGivenSizeDividesTheMapIntoSquaresSampledAtTheirCentres) {
    const HeightMap ground = slope(); // 40 m across
    const SampleGrid grid = maskGrid(ground, 80);
    EXPECT_EQ(grid.columns, 80);
    EXPECT_EQ(grid.dx, 0.5);
    EXPECT_EQ(grid.x0, -19.75);
    // A road 6 m wide covers the centres from -2.75 to 2.75: 12 pixels per row.
    const auto mask = footprint(grid, levelStrip(3.0, 12.0), {});
    EXPECT_EQ(mask.size(), 12u * 80u);
    for (const int size : {-1, 16386}) {
        EXPECT_EQ(test::thrownMessage<TrassolinError>([&] { maskGrid(ground, size); }),
                  "Die Größe der Maske muss zwischen 1 und 16385 Pixeln liegen");
    }
}

} // namespace
} // namespace trassolin
