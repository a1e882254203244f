// PNG reading with stb_image (Debian's libstb-dev, header only, so it builds for Windows too)
// and writing with stb_image_write's deflate behind chunks of our own: its PNG writer knows
// 8-bit channels only, and a height map has 16 bits.

#include "terrain/png_image.h"

#include "io/output_file.h"
#include "io/paths.h"
#include "uGlobal/errors.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <vector>

namespace {

// While an image is decoded no block of the decoder may grow beyond a few times what its
// pixels need: a damaged or hostile file whose data would unpack to gigabytes (a "zip bomb")
// is refused instead of taking the machine's memory. No limit outside a decode.
thread_local std::size_t blockLimit = SIZE_MAX;
thread_local bool refusedBlock = false;

void* boundedMalloc(std::size_t bytes) {
    if (bytes <= blockLimit) return std::malloc(bytes);
    refusedBlock = true;
    return nullptr;
}
void* boundedRealloc(void* block, std::size_t bytes) {
    if (bytes <= blockLimit) return std::realloc(block, bytes);
    refusedBlock = true;
    return nullptr;
}

// Sets the limit for one decode of an image of the given size.
class DecodeLimit {
public:
    DecodeLimit(int width, int height) {
        // The scanlines (a filter byte and two bytes per pixel), twice for the doubling growth
        // of the decoder's buffers and twice again for the compressed data, which may be a
        // little larger than the scanlines; the megabyte for the smallest images.
        const std::size_t scanlines =
            static_cast<std::size_t>(height) * (2 * static_cast<std::size_t>(width) + 1);
        blockLimit = 4 * scanlines + (std::size_t{1} << 20);
        refusedBlock = false;
    }
    ~DecodeLimit() { blockLimit = SIZE_MAX; }
    DecodeLimit(const DecodeLimit&) = delete;
    DecodeLimit& operator=(const DecodeLimit&) = delete;
};

} // namespace

// Only the PNG decoder, reading through callbacks (no FILE*, which cannot open every Windows
// path), with the functions private to this file.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MALLOC(bytes) boundedMalloc(bytes)
#define STBI_REALLOC(block, bytes) boundedRealloc(block, bytes)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
// A failed allocation inside the compressor ends the write instead of the program.
#define STBIW_ASSERT(x) ((x) ? (void)0 : throw std::bad_alloc())
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace trassolin {

void GreyImage16::FreeDeleter::operator()(std::uint16_t* p) const {
    std::free(p); // stb_image allocates with malloc, and so does the constructor
}

GreyImage16::GreyImage16(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) throw TrassolinError("Ungültige Bildgröße");
    void* block = std::calloc(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                              sizeof(std::uint16_t));
    if (!block) throw std::bad_alloc();
    pixels_.reset(static_cast<std::uint16_t*>(block));
}

GreyImage16 GreyImage16::clone() const {
    if (!pixels_) return {};
    GreyImage16 copy(width_, height_);
    std::memcpy(copy.pixels_.get(), pixels_.get(),
                static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) *
                    sizeof(std::uint16_t));
    return copy;
}

namespace {

// stb_image reads through these from a stream that knows every path of the system.
struct StreamReader {
    std::ifstream in;
    bool failed = false;

    static int read(void* user, char* data, int size) {
        auto& self = *static_cast<StreamReader*>(user);
        self.in.read(data, size);
        if (self.in.bad()) self.failed = true;
        return static_cast<int>(self.in.gcount());
    }
    static void skip(void* user, int n) {
        auto& self = *static_cast<StreamReader*>(user);
        self.in.clear(self.in.rdstate() & ~std::ios::failbit & ~std::ios::eofbit);
        self.in.seekg(n, std::ios::cur);
    }
    static int eof(void* user) {
        auto& self = *static_cast<StreamReader*>(user);
        return self.in.eof() || self.in.peek() == std::char_traits<char>::eof() ? 1 : 0;
    }
    void rewind() {
        in.clear();
        in.seekg(0);
    }
};

constexpr stbi_io_callbacks kCallbacks{&StreamReader::read, &StreamReader::skip,
                                       &StreamReader::eof};

} // namespace

GreyImage16 readGreyPng16(const std::filesystem::path& file) {
    const std::string name = displayPath(file);
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        throw IoError("Die Datei " + name + " kann nicht gelesen werden", file);
    }
    StreamReader reader{std::ifstream(file, std::ios::binary)};
    if (!reader.in) throw IoError("Die Datei " + name + " kann nicht geöffnet werden", file);
    const auto cannotRead = [&] {
        return IoError("Die Datei " + name + " kann nicht gelesen werden", file);
    };
    const auto notAPng = [&] {
        return TrassolinError("Die Datei " + name + " ist kein lesbares PNG-Bild");
    };

    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_callbacks(&kCallbacks, &reader, &width, &height, &channels)) {
        if (reader.failed) throw cannotRead();
        throw notAPng();
    }
    if (width > kMaxHeightMapSide || height > kMaxHeightMapSide) {
        throw TrassolinError("Die Datei " + name + " hat " + std::to_string(width) + " × " +
                             std::to_string(height) + " Pixel; mehr als " +
                             std::to_string(kMaxHeightMapSide) + " je Seite liest Trassolin nicht");
    }
    reader.rewind();
    const bool sixteenBits = stbi_is_16_bit_from_callbacks(&kCallbacks, &reader) != 0;
    if (channels != 1 || !sixteenBits) {
        throw TrassolinError("Die Datei " + name +
                             " ist kein Höhenbild: erwartet wird ein Graustufenbild mit 16 Bit "
                             "je Pixel, wie es der GIANTS-Editor als Höhenkarte schreibt");
    }
    reader.rewind();
    const std::string size = std::to_string(width) + " × " + std::to_string(height) + " Pixel";
    stbi_us* pixels = nullptr;
    {
        const DecodeLimit limit(width, height);
        int channelsInFile = 0;
        pixels =
            stbi_load_16_from_callbacks(&kCallbacks, &reader, &width, &height, &channelsInFile, 1);
        if (!pixels && refusedBlock) {
            throw TrassolinError("Die Datei " + name +
                                 " ist beschädigt (ihre Bilddaten sind "
                                 "weit größer, als " +
                                 size + " brauchen)");
        }
    }
    if (!pixels) {
        if (reader.failed) throw cannotRead();
        const char* reason = stbi_failure_reason();
        if (reason && std::strcmp(reason, "outofmem") == 0) throw std::bad_alloc();
        throw TrassolinError("Die Datei " + name + " ist beschädigt (" + size +
                             " angegeben, die Bilddaten lassen sich nicht lesen)");
    }
    GreyImage16 image;
    image.width_ = width;
    image.height_ = height;
    image.pixels_.reset(pixels);
    return image;
}

namespace {

// CRC-32 as PNG chunks carry it (ISO 3309, polynomial 0xEDB88320, reflected).
constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

std::uint32_t crc32(std::uint32_t crc, std::string_view bytes) {
    for (const char b : bytes) {
        crc = kCrcTable[(crc ^ static_cast<unsigned char>(b)) & 0xFFu] ^ (crc >> 8);
    }
    return crc;
}

void putBigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFFu));
    }
}

void writeChunk(const ByteSink& out, std::string_view type, std::string_view data) {
    std::string head;
    putBigEndian32(head, static_cast<std::uint32_t>(data.size()));
    head += type;
    out(head);
    out(data);
    std::string tail;
    putBigEndian32(tail, ~crc32(crc32(0xFFFFFFFFu, type), data));
    out(tail);
}

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// One scanline filtered with the PNG filter that leaves the smallest sum of magnitudes, the
// usual heuristic: smooth terrain then mostly becomes zeros and small numbers.
using FilterCandidates = std::array<std::vector<unsigned char>, 5>;

void filterRow(const std::vector<unsigned char>& row, const std::vector<unsigned char>& above,
               int bytesPerPixel, FilterCandidates& candidates, unsigned char* out) {
    const std::size_t n = row.size();
    std::array<long, 5> cost{};
    for (int type = 0; type < 5; ++type) {
        auto& f = candidates[static_cast<std::size_t>(type)];
        f.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const int left =
                i >= static_cast<std::size_t>(bytesPerPixel) ? row[i - bytesPerPixel] : 0;
            const int up = above[i];
            const int upLeft =
                i >= static_cast<std::size_t>(bytesPerPixel) ? above[i - bytesPerPixel] : 0;
            int predictor = 0;
            switch (type) {
            case 1:
                predictor = left;
                break;
            case 2:
                predictor = up;
                break;
            case 3:
                predictor = (left + up) / 2;
                break;
            case 4:
                predictor = paeth(left, up, upLeft);
                break;
            default:
                break;
            }
            f[i] = static_cast<unsigned char>(row[i] - predictor);
            cost[static_cast<std::size_t>(type)] += std::abs(static_cast<signed char>(f[i]));
        }
    }
    std::size_t best = 0;
    for (std::size_t type = 1; type < 5; ++type) {
        if (cost[type] < cost[best]) best = type;
    }
    out[0] = static_cast<unsigned char>(best);
    std::memcpy(out + 1, candidates[best].data(), n);
}

// Deflate (zlib format) of the filtered scanlines, level 8 of stb's compressor.
constexpr int kCompressionLevel = 8;
// IDAT chunks of this many bytes, so that no chunk length comes near its 31-bit limit.
constexpr std::size_t kIdatBytes = 1 << 20;

} // namespace

void encodeGreyPng(int width, int height, int bitDepth, const GreyRowSource& rows,
                   const ByteSink& out) {
    if (width <= 0 || height <= 0 || (bitDepth != 8 && bitDepth != 16)) {
        throw TrassolinError("Ungültige Bildgröße");
    }
    const int bytesPerPixel = bitDepth / 8;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    const std::size_t filteredBytes = (rowBytes + 1) * static_cast<std::size_t>(height);
    // The compressor counts in int.
    if (filteredBytes > static_cast<std::size_t>(INT_MAX)) {
        throw TrassolinError("Ein Bild von " + std::to_string(width) + " × " +
                             std::to_string(height) + " Pixeln ist zu groß");
    }
    std::vector<unsigned char> filtered(filteredBytes);
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(width));
    std::vector<unsigned char> row(rowBytes), above(rowBytes, 0);
    FilterCandidates candidates;
    for (int r = 0; r < height; ++r) {
        rows(r, pixels);
        for (std::size_t c = 0; c < pixels.size(); ++c) {
            if (bytesPerPixel == 2) {
                row[2 * c] = static_cast<unsigned char>(pixels[c] >> 8); // PNG is big-endian
                row[2 * c + 1] = static_cast<unsigned char>(pixels[c] & 0xFFu);
            } else {
                row[c] = static_cast<unsigned char>(pixels[c]);
            }
        }
        filterRow(row, above, bytesPerPixel, candidates,
                  filtered.data() + static_cast<std::size_t>(r) * (rowBytes + 1));
        std::swap(row, above);
    }

    int compressedBytes = 0;
    unsigned char* compressed = stbi_zlib_compress(filtered.data(), static_cast<int>(filteredBytes),
                                                   &compressedBytes, kCompressionLevel);
    if (!compressed) throw std::bad_alloc();
    const std::unique_ptr<unsigned char, decltype(&std::free)> owner(compressed, &std::free);
    filtered = {};

    out(std::string_view("\x89PNG\r\n\x1A\n", 8));
    std::string header;
    putBigEndian32(header, static_cast<std::uint32_t>(width));
    putBigEndian32(header, static_cast<std::uint32_t>(height));
    header.push_back(static_cast<char>(bitDepth));
    header.append(4, '\0'); // grey; deflate; adaptive filtering; not interlaced
    writeChunk(out, "IHDR", header);
    const std::string_view data(reinterpret_cast<const char*>(compressed),
                                static_cast<std::size_t>(compressedBytes));
    for (std::size_t at = 0; at < data.size(); at += kIdatBytes) {
        writeChunk(out, "IDAT", data.substr(at, kIdatBytes));
    }
    writeChunk(out, "IEND", {});
}

void writeGreyPng(const std::filesystem::path& file, int width, int height, int bitDepth,
                  const GreyRowSource& rows) {
    OutputFile output(file);
    encodeGreyPng(width, height, bitDepth, rows,
                  [&output](std::string_view bytes) { output.write(bytes); });
    output.commit();
}

} // namespace trassolin
