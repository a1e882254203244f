// Any bytes as a parameter file, then a whole run: it writes a complete document and glTF or
// stops with a German message and leaves both old files byte for byte. Inputs that only make the
// run long (many points, far-apart points, large profiles) are skipped.

#include "generation/random_sequence.h"
#include "generation/run.h"
#include "settings/ini_file.h"
#include "settings/parameter_file.h"
#include "uGlobal/errors.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace {

class Quiet final : public trassolin::MessageSink {
public:
    void show(trassolin::MessageKind, std::string_view) override {}
};
class NoLog final : public trassolin::StatusLog {
public:
    void clear() override {}
    void append(std::string_view) override {}
};

bool small(const trassolin::ParameterSet& set) {
    if (set.splines.count() > 12) return false;
    if (set.rechterRand.count() > 12 || set.linkerRand.count() > 12) return false;
    for (const auto& p : set.splines.points()) {
        for (const double v : {p.X, p.Y, p.Z}) {
            if (!(std::fabs(v) < 2000.0)) return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path output =
        std::filesystem::temp_directory_path() / ("trassolin-fuzz-" + std::to_string(::getpid()) + ".i3d");
    static const std::filesystem::path gltf = std::filesystem::path(output).replace_extension(".glb");
    trassolin::ParameterSet set;
    Quiet messages;
    try {
        trassolin::loadParameterSet(
            trassolin::IniFile(std::string_view(reinterpret_cast<const char*>(data), size)), set,
            messages);
    } catch (const trassolin::TrassolinError&) {
        return 0;
    }
    if (!small(set)) return 0;
    for (const auto& file : {output, gltf}) {
        std::ofstream old(file, std::ios::binary | std::ios::trunc);
        old << "old";
    }
    NoLog log;
    trassolin::RandomSequence random;
    const bool written =
        trassolin::runGeneration(set, output, messages, log, random, ',', {.gltf = gltf});
    const auto read = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    };
    const std::string document = read(output), binary = read(gltf);
    if (!written && (document != "old" || binary != "old")) std::abort();
    if (written && (!document.starts_with("<?xml") || !document.ends_with("</i3D>\r\n"))) {
        std::abort();
    }
    // A complete .glb says its own length in its header.
    if (written) {
        if (!binary.starts_with("glTF") || binary.size() < 12) std::abort();
        std::uint32_t length = 0;
        for (int i = 11; i >= 8; --i) length = (length << 8) | static_cast<unsigned char>(binary[i]);
        if (length != binary.size()) std::abort();
    }
    return 0;
}
