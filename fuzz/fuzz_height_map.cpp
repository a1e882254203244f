// Any bytes as a height map: read as one, or refused with a German message, never a crash
// and never gigabytes for a small file.

#include "terrain/png_image.h"
#include "uGlobal/errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("trassolin-fuzz-" + std::to_string(::getpid()) + ".png");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        const trassolin::GreyImage16 image = trassolin::readGreyPng16(file);
        if (image.width() < 1 || image.height() < 1 ||
            image.width() > trassolin::kMaxHeightMapSide) {
            std::abort();
        }
    } catch (const trassolin::TrassolinError&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
