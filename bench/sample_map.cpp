#include "sample_map.h"

#include "io/paths.h"
#include "terrain/png_image.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace trassolin::bench {

namespace {

constexpr int kSide = 2049;
constexpr double kHeightScale = 255.0, kBase = -20.0;

} // namespace

void writeSampleMap(const TSplinePunkte& road, const std::filesystem::path& mapFile) {
    const auto& points = road.points();
    double reach = 0.0;
    for (const TSplinePkt& p : points)
        reach = std::max({reach, std::abs(p.X), std::abs(p.Z)});
    double spacing = 1.0;
    while (spacing * (kSide - 1) / 2.0 < reach + 200.0)
        spacing *= 2.0;

    std::filesystem::path heightMap = mapFile;
    heightMap.replace_filename(mapFile.stem().string() + "_dem.png");
    writeGreyPng(heightMap, kSide, kSide, 16, [&](int row, std::span<std::uint16_t> pixels) {
        const double z = (row - (kSide - 1) / 2.0) * spacing;
        for (int c = 0; c < kSide; ++c) {
            const double x = (c - (kSide - 1) / 2.0) * spacing;
            // The control points' heights spread by inverse squared distance, and hills of a
            // metre or so that the road's smooth line does not follow.
            double weights = 0.0, sum = 0.0;
            for (const TSplinePkt& p : points) {
                const double w = 1.0 / ((p.X - x) * (p.X - x) + (p.Z - z) * (p.Z - z) + 400.0);
                weights += w;
                sum += w * p.Y;
            }
            const double h = (weights > 0.0 ? sum / weights : 0.0) +
                             1.2 * std::sin(x / 61.0) * std::cos(z / 47.0);
            const double value = std::round((h - kBase) / kHeightScale * 65535.0);
            pixels[static_cast<std::size_t>(c)] =
                static_cast<std::uint16_t>(std::clamp(value, 0.0, 65535.0));
        }
    });
    const auto number = [](double v) { return formatGeneral(v, '.'); };
    std::ofstream out(mapFile, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"
           "<i3D name=\"" +
               mapFile.stem().string() +
               "\" version=\"1.6\">\r\n"
               "  <Files>\r\n"
               "    <File fileId=\"1\" filename=\"" +
               heightMap.filename().string() +
               "\"/>\r\n"
               "  </Files>\r\n"
               "  <Scene>\r\n"
               "    <TerrainTransformGroup name=\"terrain\" translation=\"0 " +
               number(kBase) + " 0\" heightMapId=\"1\" heightScale=\"" + number(kHeightScale) +
               "\" unitsPerPixel=\"" + number(spacing) +
               "\"/>\r\n"
               "  </Scene>\r\n"
               "</i3D>\r\n";
    if (!out) throw std::runtime_error("cannot write " + displayPath(mapFile));
}

} // namespace trassolin::bench
