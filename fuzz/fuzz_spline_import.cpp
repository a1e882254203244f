// Any bytes as an editor export: the import takes the points or refuses the file with a
// German message, and a refused import leaves the points as they were.

#include "uGlobal/errors.h"
#include "uSplinePkts/spline_punkte.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("trassolin-fuzz-" + std::to_string(::getpid()) + ".i3d");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    trassolin::TSplinePunkte points;
    points.get(0)->X = 17.0;
    try {
        points.importFromI3d(file);
    } catch (const trassolin::TrassolinError&) {
        if (points.count() != 2 || points.get(0)->X != 17.0) std::abort();
        return 0;
    }
    if (points.count() > trassolin::kMaxSplinePoints) std::abort();
    return 0;
}
