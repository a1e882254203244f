#include "terrain/footprint_mask.h"

#include "uGlobal/errors.h"

#include <algorithm>

namespace trassolin {

SampleGrid maskGrid(const HeightMap& ground, int size) {
    if (size < 0 || size > kMaxMaskSize) {
        throw TrassolinError("Die Größe der Maske muss zwischen 1 und " +
                             std::to_string(kMaxMaskSize) + " Pixeln liegen");
    }
    if (size == 0) return pixelGrid(ground);
    const double dx = ground.sizeX() / size, dz = ground.sizeZ() / size;
    return {size, size, ground.xOfColumn(0) + dx / 2.0, ground.zOfRow(0) + dz / 2.0, dx, dz};
}

std::vector<SparseGrid<std::uint8_t>::Entry> footprint(const SampleGrid& grid,
                                                       std::span<const SurfaceTriangle> road,
                                                       std::span<const SurfaceTriangle> verges) {
    SparseGrid<std::uint8_t> mask;
    for (const auto& [triangles, value] : {std::pair{&road, kMaskRoad}, {&verges, kMaskVerge}}) {
        for (const SurfaceTriangle& t : *triangles) {
            rasterize(t, grid,
                      [&, v = value](int c, int r, double) { mask.put(grid.index(c, r), v); });
        }
    }
    return std::move(mask).merged([](std::uint8_t a, std::uint8_t b) { return a > b; });
}

void writeFootprintMask(OutputFile& out, const SampleGrid& grid,
                        const std::vector<SparseGrid<std::uint8_t>::Entry>& pixels) {
    const auto width = static_cast<std::size_t>(grid.columns);
    auto next = pixels.begin();
    encodeGreyPng(
        grid.columns, grid.rows, 8,
        [&](int row, std::span<std::uint16_t> line) {
            std::fill(line.begin(), line.end(), std::uint16_t{0});
            const std::size_t end = (static_cast<std::size_t>(row) + 1) * width;
            for (; next != pixels.end() && next->index < end; ++next) {
                line[next->index - static_cast<std::size_t>(row) * width] = next->value;
            }
        },
        [&out](std::string_view bytes) { out.write(bytes); });
}

} // namespace trassolin
