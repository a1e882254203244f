#pragma once

// Where the road lies on the map, as an 8-bit mask for painting terrain layers and foliage in
// the editor: 255 under the road surface, 128 under the verges, 0 elsewhere.

#include "terrain/height_map.h"
#include "terrain/surface_raster.h"

#include "io/output_file.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace trassolin {

inline constexpr std::uint8_t kMaskRoad = 255;
inline constexpr std::uint8_t kMaskVerge = 128;
// The largest mask side, that of the largest height map: a mask is written in one piece.
inline constexpr int kMaxMaskSize = kMaxHeightMapSide;

// The mask's pixels over the map's ground. Size 0: one mask pixel per height map pixel, on the
// same points. Otherwise size × size pixels, each a square of the map (as a map's weight and
// density maps divide it), sampled at its centre. Throws TrassolinError for a negative size or
// one beyond kMaxMaskSize.
SampleGrid maskGrid(const HeightMap& ground, int size);

// The non-zero pixels by index; where road and verge overlap, the road counts.
std::vector<SparseGrid<std::uint8_t>::Entry> footprint(const SampleGrid& grid,
                                                       std::span<const SurfaceTriangle> road,
                                                       std::span<const SurfaceTriangle> verges);

// The mask as an 8-bit grey PNG into `out` (the caller commits it).
void writeFootprintMask(OutputFile& out, const SampleGrid& grid,
                        const std::vector<SparseGrid<std::uint8_t>::Entry>& pixels);

} // namespace trassolin
