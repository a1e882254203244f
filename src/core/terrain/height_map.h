#pragma once

// The ground of a map as the engine builds it from the height map: a grid of heights, one per
// pixel, centred on the world origin. Pixel (0, 0) lies at x = z = -size/2, columns run along
// +x and rows along +z, neighbouring pixels are `unitsPerPixel` metres apart, and a pixel's
// height is its value / 65535 × `heightScale` metres.

#include "terrain/png_image.h"
#include "terrain/surface_raster.h"

#include <filesystem>
#include <optional>
#include <string>

namespace trassolin {

// How the map places its height map in the world.
struct TerrainPlacement {
    double heightScale = 255.0;       // m for the largest pixel value; the editor's default
    double unitsPerPixel = 1.0;       // m between neighbouring pixels
    double x = 0.0, y = 0.0, z = 0.0; // translation of the terrain node, m
};

// A column and row of the height map, fractional between pixels.
struct PixelPosition {
    double column = 0.0, row = 0.0;
};

class HeightMap {
public:
    // Throws TrassolinError for a scale or spacing that is not a positive number, and for an
    // image smaller than 2 × 2 pixels, which spans no ground.
    HeightMap(GreyImage16 pixels, TerrainPlacement placement);

    const GreyImage16& pixels() const { return pixels_; }
    const TerrainPlacement& placement() const { return placement_; }
    // Extent along x and z, m: (pixels - 1) × unitsPerPixel.
    double sizeX() const;
    double sizeZ() const;

    // The height of a pixel value, m (the node's translation included).
    double heightOfValue(double value) const;
    // The pixel value nearest to a height, clamped to 0…65535.
    std::uint16_t valueOfHeight(double height) const;

    PixelPosition pixelAt(double x, double z) const;
    // World x and z of a pixel's centre.
    double xOfColumn(double column) const;
    double zOfRow(double row) const;

    // The ground height under (x, z), m, bilinear between the four surrounding pixels: exactly
    // a pixel's height at its centre, also on the map's last row and column. nullopt outside.
    std::optional<double> heightAt(double x, double z) const;

    // "x von … bis … m, z von … bis … m" for messages about points outside.
    std::string extentText(char decimalSeparator) const;

private:
    GreyImage16 pixels_;
    TerrainPlacement placement_;
};

// The points of the height map's pixels in the world.
SampleGrid pixelGrid(const HeightMap& ground);

// "2049 × 2049 Pixel, 2048 × 2048 m, 1 m je Pixel, Höhen von 12,3 bis 87,6 m": what a modder
// checks against the editor before trusting the numbers.
std::string groundDescription(const HeightMap& ground, char decimalSeparator);

// Reads the height map from a PNG file (readGreyPng16) and places it.
HeightMap loadHeightMap(const std::filesystem::path& file, const TerrainPlacement& placement);

} // namespace trassolin
