#include "io/read_file.h"

#include "io/paths.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <fstream>
#include <system_error>

namespace trassolin {

std::string megabytes(std::uintmax_t bytes) {
    constexpr std::uintmax_t kMegabyte = 1024 * 1024;
    return formatGrouped(static_cast<double>(bytes / kMegabyte + (bytes % kMegabyte != 0))) + " MB";
}

std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::uintmax_t limit,
                                         std::string_view kind) {
    const auto cannotRead = [&] {
        return IoError("Die Datei " + displayPath(file) + " kann nicht gelesen werden", file);
    };
    const auto tooLarge = [&](const std::string& size) {
        return TrassolinError("Die Datei " + displayPath(file) + " ist mit " + size +
                              " zu groß für " + std::string(kind) + " (höchstens " +
                              megabytes(limit) + ")");
    };
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::directory) throw cannotRead();
    std::uintmax_t size = 0;
    if (status.type() == std::filesystem::file_type::regular) {
        size = std::filesystem::file_size(file, ec);
        if (ec) size = 0;
        if (size > limit) throw tooLarge(megabytes(size));
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    // A pipe or a device has no size to ask for, and a file may grow: read one chunk beyond the
    // limit at most.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size) + 1);
    constexpr std::size_t kChunk = 1 << 16;
    while (in) {
        const std::size_t had = bytes.size();
        bytes.resize(had + kChunk);
        in.read(bytes.data() + had, static_cast<std::streamsize>(kChunk));
        bytes.resize(had + static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > limit) throw tooLarge("mehr als " + megabytes(limit));
    }
    if (in.bad()) throw cannotRead();
    return bytes;
}

} // namespace trassolin
