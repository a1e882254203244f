#include "terrain/height_map.h"

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <cmath>

namespace trassolin {

namespace {

constexpr double kMaxValue = 65535.0;

// A position this close to a pixel's centre (in pixels) is taken as the centre, so that a
// point placed on a pixel gets that pixel's height exactly, not a blend within rounding.
constexpr double kCentreSnap = 1e-9;

double snapped(double pixel) {
    const double nearest = std::round(pixel);
    return std::abs(pixel - nearest) < kCentreSnap ? nearest : pixel;
}

bool positiveNumber(double v) {
    return std::isfinite(v) && v > 0.0;
}

void checkPlacement(const TerrainPlacement& placement) {
    if (!positiveNumber(placement.heightScale)) {
        throw TrassolinError("Die Höhenskala des Geländes muss größer als 0 sein");
    }
    if (!positiveNumber(placement.unitsPerPixel)) {
        throw TrassolinError("Die Einheiten pro Pixel des Geländes müssen größer als 0 sein");
    }
    if (!std::isfinite(placement.x) || !std::isfinite(placement.y) || !std::isfinite(placement.z)) {
        throw TrassolinError("Die Lage des Geländes ist keine gültige Zahl");
    }
}

} // namespace

HeightMap::HeightMap(GreyImage16 pixels, TerrainPlacement placement)
    : pixels_(std::move(pixels)), placement_(placement) {
    checkPlacement(placement_);
    if (pixels_.width() < 2 || pixels_.height() < 2) {
        throw TrassolinError("Ein Höhenbild braucht mindestens 2 × 2 Pixel");
    }
}

double HeightMap::sizeX() const {
    return (pixels_.width() - 1) * placement_.unitsPerPixel;
}
double HeightMap::sizeZ() const {
    return (pixels_.height() - 1) * placement_.unitsPerPixel;
}

double HeightMap::heightOfValue(double value) const {
    return value / kMaxValue * placement_.heightScale + placement_.y;
}

std::uint16_t HeightMap::valueOfHeight(double height) const {
    const double value = std::round((height - placement_.y) / placement_.heightScale * kMaxValue);
    if (!(value > 0.0)) return 0; // NaN too
    return static_cast<std::uint16_t>(std::min(value, kMaxValue));
}

PixelPosition HeightMap::pixelAt(double x, double z) const {
    const double upp = placement_.unitsPerPixel;
    return {snapped((x - placement_.x) / upp + (pixels_.width() - 1) / 2.0),
            snapped((z - placement_.z) / upp + (pixels_.height() - 1) / 2.0)};
}

double HeightMap::xOfColumn(double column) const {
    return placement_.x + (column - (pixels_.width() - 1) / 2.0) * placement_.unitsPerPixel;
}

double HeightMap::zOfRow(double row) const {
    return placement_.z + (row - (pixels_.height() - 1) / 2.0) * placement_.unitsPerPixel;
}

std::optional<double> HeightMap::heightAt(double x, double z) const {
    const PixelPosition p = pixelAt(x, z);
    const int lastColumn = pixels_.width() - 1, lastRow = pixels_.height() - 1;
    // Written so that NaN is outside as well.
    if (!(p.column >= 0.0 && p.column <= lastColumn && p.row >= 0.0 && p.row <= lastRow)) {
        return std::nullopt;
    }
    // The cell's lower corner; on the last row or column the cell before it, at fraction 1.
    const int c = std::min(static_cast<int>(p.column), lastColumn - 1);
    const int r = std::min(static_cast<int>(p.row), lastRow - 1);
    const double fc = p.column - c, fr = p.row - r;
    const double v00 = pixels_.at(c, r), v10 = pixels_.at(c + 1, r);
    const double v01 = pixels_.at(c, r + 1), v11 = pixels_.at(c + 1, r + 1);
    const double value =
        (1.0 - fr) * ((1.0 - fc) * v00 + fc * v10) + fr * ((1.0 - fc) * v01 + fc * v11);
    return heightOfValue(value);
}

std::string HeightMap::extentText(char decimalSeparator) const {
    const auto m = [&](double v) { return formatGeneral(decimalRound(v, -3), decimalSeparator); };
    return "x von " + m(xOfColumn(0)) + " bis " + m(xOfColumn(pixels_.width() - 1)) + " m, z von " +
           m(zOfRow(0)) + " bis " + m(zOfRow(pixels_.height() - 1)) + " m";
}

SampleGrid pixelGrid(const HeightMap& ground) {
    const double upp = ground.placement().unitsPerPixel;
    return {ground.pixels().width(),
            ground.pixels().height(),
            ground.xOfColumn(0),
            ground.zOfRow(0),
            upp,
            upp};
}

std::string groundDescription(const HeightMap& ground, char decimalSeparator) {
    const GreyImage16& pixels = ground.pixels();
    std::uint16_t low = 65535, high = 0;
    for (int r = 0; r < pixels.height(); ++r) {
        for (const std::uint16_t v : pixels.row(r)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    const auto m = [&](double v, int decimals) {
        return formatGeneral(decimalRound(v, static_cast<std::int8_t>(-decimals)),
                             decimalSeparator);
    };
    return std::to_string(pixels.width()) + " × " + std::to_string(pixels.height()) + " Pixel, " +
           m(ground.sizeX(), 3) + " × " + m(ground.sizeZ(), 3) + " m, " +
           m(ground.placement().unitsPerPixel, 3) + " m je Pixel, Höhen von " +
           m(ground.heightOfValue(low), 3) + " bis " + m(ground.heightOfValue(high), 3) + " m";
}

HeightMap loadHeightMap(const std::filesystem::path& file, const TerrainPlacement& placement) {
    checkPlacement(placement); // before a large image is read for nothing
    return HeightMap(readGreyPng16(file), placement);
}

} // namespace trassolin
