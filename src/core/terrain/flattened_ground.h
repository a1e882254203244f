#pragma once

// A copy of the map's height map with the ground made to fit the road: the corridor under the
// road and its verges at the surface's height (a little below, so that no terrain pokes
// through), blending back into the map's own ground beside it. Every other pixel is copied
// unchanged, so the copy differs from the original only where the road is.

#include "terrain/height_map.h"
#include "terrain/surface_raster.h"

#include "io/output_file.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace trassolin {

// The widest falloff: the work grows with its square around every pixel of the corridor's edge,
// and ground 50 m beside a road is no longer the road's.
inline constexpr double kMaxFalloff = 50.0; // m
// The deepest the ground may stay below the surface.
inline constexpr double kMaxDepth = 10.0; // m

struct FlattenOptions {
    double depth = 0.02;  // m the ground stays below the surface
    double falloff = 5.0; // m beside the corridor over which the ground returns to its own height
};

using PixelChange = SparseGrid<std::uint16_t>::Entry;

// The pixels that change, by index (row × width + column). A pixel under a surface triangle
// takes the lowest surface height above it minus the depth; a pixel closer than `falloff` to
// such a pixel blends from that pixel's height (at the corridor) to its own (at the falloff
// distance) along a smoothstep, so the slope meets the map's ground without a kink. Throws
// TrassolinError for a depth or falloff that is negative, no number or beyond its limit, and
// naming the place (numbers with `decimalSeparator`) for a surface the height map cannot hold:
// below its lowest or above its highest height.
std::vector<PixelChange> flattenedPixels(const HeightMap& ground,
                                         std::span<const SurfaceTriangle> surfaces,
                                         const FlattenOptions& options, char decimalSeparator);

// Writes the height map with the changes as a 16-bit PNG into `out` (the caller commits it, so
// that several files can be replaced together). Refuses (TrassolinError) before writing
// anything when `out` would replace `original`, the height map it came from, under any name.
void writeFlattenedHeightMap(OutputFile& out, const std::filesystem::path& original,
                             const HeightMap& ground, const std::vector<PixelChange>& changes);

} // namespace trassolin
