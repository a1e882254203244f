#pragma once

// A sample map for a road: a map i3d with a terrain node and its 16-bit height map, the ground
// rolling gently about the heights of the road's control points, so that the road floats
// above it in some places and sinks into it in others. For trying `trassolin-cli gelaende`
// without a map of one's own, for the README's pictures and for the Windows comparison.

#include "settings/parameter_set.h"

#include <filesystem>

namespace trassolin::bench {

// Writes `mapFile` and, beside it, its height map (the map's name with "_dem.png"): 2049²
// pixels, heightScale 255 and a translation of -20 m, so heights from -20 to 235 m; the
// spacing the smallest power of two (m) that covers every control point with 200 m to spare.
void writeSampleMap(const TSplinePunkte& road, const std::filesystem::path& mapFile);

} // namespace trassolin::bench
