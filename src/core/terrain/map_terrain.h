#pragma once

// Where a map keeps its ground: the map's i3d names the height map in its terrain node
// (TerrainTransformGroup, attribute heightMapId, a fileId of the Files section) together with
// the height scale and the pixel spacing.

#include "terrain/height_map.h"
#include "uGlobal/messages.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace trassolin {

// The map's i3d of a large map with its scene inline holds some tens of megabytes.
inline constexpr std::uintmax_t kMaxMapFileBytes = 256 * 1024 * 1024;

struct MapTerrain {
    std::filesystem::path heightMapFile; // as the map names it, resolved against the map's folder
    TerrainPlacement placement;
};

// Reads the terrain node of a map's i3d file. An attribute the node leaves out takes the
// editor's default (heightScale 255, unitsPerPixel 1) with an information through `messages`;
// a second terrain node is passed over with a warning. Throws IoError when the file cannot be
// read and TrassolinError naming the file (and the line) when it is larger than
// kMaxMapFileBytes, holds no terrain node, the node names no file of the map, a value is no
// number, the terrain is turned or scaled, or the text is no well-formed XML.
MapTerrain readMapTerrain(const std::filesystem::path& mapFile, MessageSink& messages);

// Where the ground comes from: a map's i3d, or a height map given directly with its placement.
struct GroundSource {
    std::filesystem::path mapFile;   // empty when the height map is given
    std::filesystem::path heightMap; // read when no map is given
    TerrainPlacement placement;      // of the height map given directly
};

struct Ground {
    HeightMap map;
    std::filesystem::path heightMapFile; // the file it was read from
};

// The ground of a map (its terrain node and the height map the node names) or of a height map.
Ground loadGround(const GroundSource& source, MessageSink& messages);

// The same on the file's bytes; `mapFile` names it in messages and anchors relative paths.
MapTerrain parseMapTerrain(std::string_view bytes, const std::filesystem::path& mapFile,
                           MessageSink& messages);

} // namespace trassolin
