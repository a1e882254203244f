// Any bytes as a map's i3d: the terrain is read or the file is refused with a German message.

#include "terrain/map_terrain.h"
#include "uGlobal/errors.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trassolin::CollectingMessageSink messages;
    try {
        const trassolin::MapTerrain t = trassolin::parseMapTerrain(
            std::string_view(reinterpret_cast<const char*>(data), size), "karte.i3d", messages);
        if (t.heightMapFile.empty() || std::isnan(t.placement.heightScale)) std::abort();
    } catch (const trassolin::TrassolinError&) {
    }
    return 0;
}
