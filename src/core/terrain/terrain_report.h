#pragma once

// Where the road floats above or sinks into the ground: at every cross-section of the road,
// the height of the road's two borders and of each verge's outer end above the ground (below
// it when negative).

#include "terrain/height_map.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace trassolin {

// The lines along the road whose height is measured, in the order of the columns.
enum class ClearanceLine { RoadRight, RoadLeft, RightVergeOuter, LeftVergeOuter };
inline constexpr std::size_t kClearanceLines = 4;

// A point of one of those lines at a cross-section.
struct RoadPoint {
    ClearanceLine line;
    double station; // m along the road from its start
    double x, y, z; // world, m
};

// The heights above the ground at one station; a line without a point there has none.
struct ClearanceRow {
    double station = 0.0;
    std::array<std::optional<double>, kClearanceLines> height; // m; negative below the ground
};

struct TerrainReport {
    std::vector<ClearanceRow> rows; // by station
};

// Measures every point against the ground. Points of one line at the same station (a texture
// seam repeats a cross-section) count once. A point beyond the map throws TrassolinError
// naming its station, its line and the map's extent.
TerrainReport measureClearance(const std::vector<RoadPoint>& points, const HeightMap& ground,
                               char decimalSeparator);

// Whether any height lies further above or below the ground than `tolerance` (m).
bool exceedsTolerance(const TerrainReport& report, double tolerance);

// The summary, one line: "Fahrbahn: max. 0,42 m über, 0,10 m unter dem Gelände; rechter Rand
// außen: …; linker Rand außen: …" (a part the road does not have is left out); then
// "Toleranz 0,1 m eingehalten" or "Toleranz 0,1 m überschritten:" followed by one line per
// stretch of the road beyond it with its stations and its worst height, at most
// `maxStretches` of them. A report without rows says that there was nothing to compare.
std::vector<std::string> reportLines(const TerrainReport& report, double tolerance,
                                     char decimalSeparator, std::size_t maxStretches = 20);

// Every station as a CSV line: station and the four heights in m with three decimals, ';'
// between fields, the given decimal separator, an empty field where a line has no point; a
// header line first, CR LF line ends.
std::string clearanceCsv(const TerrainReport& report, char decimalSeparator);

} // namespace trassolin
