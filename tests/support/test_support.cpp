#include "support/test_support.h"

#include "io/paths.h"
#include "uGlobal/numbers.h"
#include "uGlobal/rand_punkte.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <utility>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <sstream>
#include <stdexcept>


namespace trassolin::test {

TempDir::TempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("trassolin-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + displayPath(file));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TRandPunkte profileOf(bool right, const std::vector<ProfileSegment>& segments, MessageSink* sink) {
    TRandPunkte p(right ? "rechter Rand" : "linker Rand", right);
    CollectingMessageSink ignored;
    MessageSink& messages = sink != nullptr ? *sink : ignored;
    p.enabled = true;
    p.resize(static_cast<int>(segments.size()) + 1, messages);
    for (int i = 1; i < p.count(); ++i) {
        const ProfileSegment& s = segments[static_cast<std::size_t>(i) - 1];
        Randsegment& r = *p.getSegment(i);
        r.length = s.length, r.angle = s.angleDegrees * std::numbers::pi / 180, r.u = s.u;
        p.updateSegmentGeometry(i);
    }
    p.recompute(messages);
    return p;
}

std::string nameOf(std::string_view text) {
    if (text.empty()) return "empty";
    std::string name;
    const auto word = [&](std::string_view w) {
        if (!name.empty()) name += '_';
        name += w;
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (std::isalnum(c)) {
            std::size_t end = i;
            while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end])))
                ++end;
            word(text.substr(i, end - i));
            i = end;
            continue;
        }
        switch (c) {
        case ',':
            word("comma");
            break;
        case '.':
            word("point");
            break;
        case '-':
            word("minus");
            break;
        case '+':
            word("plus");
            break;
        case ' ':
            word("blank");
            break;
        case '_':
            word("underscore");
            break;
        case '\t':
            word("tab");
            break;
        case '\r':
            word("CR");
            break;
        case '\n':
            word("LF");
            break;
        default: {
            static constexpr char kHex[] = "0123456789ABCDEF";
            word(std::string{'x', kHex[c >> 4], kHex[c & 15]});
        }
        }
        ++i;
    }
    return name;
}

std::string nameOf(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return nameOf(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

std::string crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::vector<std::string> entryNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(displayPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + displayPath(file));
}

std::vector<std::vector<double>> attributeNumbers(const std::string& text,
                                                 const std::string& name) {
    std::vector<std::vector<double>> rows;
    const std::string key = " " + name + "=\"";
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        const auto start = at + key.size();
        const auto stop = text.find('"', start);
        std::vector<double> row;
        std::size_t pos = start;
        while (pos < stop) {
            auto blank = text.find(' ', pos);
            if (blank == std::string::npos || blank > stop) blank = stop;
            if (blank > pos) row.push_back(parseTolerantReal(text.substr(pos, blank - pos)));
            pos = blank + 1;
        }
        rows.push_back(row);
    }
    return rows;
}

std::filesystem::path i3dSchema() {
    return sharedDir() / "data/i3d/schema/archive-2009/i3d-1.6.xsd";
}

std::filesystem::path currentI3dSchema() {
    return sharedDir() / "data/i3d/schema/i3d-1.6.xsd";
}

namespace {

std::string withoutAttributes(std::string document, std::initializer_list<const char*> names) {
    for (const char* attribute : names) {
        const std::string name = std::string(" ") + attribute + "=\"";
        for (auto at = document.find(name); at != std::string::npos; at = document.find(name)) {
            document.erase(at, document.find('"', at + name.size()) + 1 - at);
        }
    }
    return document;
}

} // namespace

std::string withoutEditorAttributes(std::string document) {
    return withoutAttributes(std::move(document), {"bvCenter", "bvRadius", "isOptimized"});
}

std::string withoutAttributesUnknownToTheCurrentSchema(std::string document) {
    return withoutAttributes(withoutEditorAttributes(std::move(document)),
                             {"relativePath", "ambientColor", "degree"});
}

namespace {

// FIPS 180-4, section 6.2.
constexpr std::array<std::uint32_t, 64> kSha256Rounds{
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

void sha256Block(std::array<std::uint32_t, 8>& h, const unsigned char* block) {
    const auto rotr = [](std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
    std::array<std::uint32_t, 64> w{};
    for (int i = 0; i < 16; ++i) {
        w[i] = std::uint32_t{block[4 * i]} << 24 | std::uint32_t{block[4 * i + 1]} << 16 |
               std::uint32_t{block[4 * i + 2]} << 8 | std::uint32_t{block[4 * i + 3]};
    }
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, k] = h;
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t t1 = k + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) +
                                 ((e & f) ^ (~e & g)) + kSha256Rounds[i] + w[i];
        const std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) +
                                 ((a & b) ^ (a & c) ^ (b & c));
        k = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
    }
    const std::array<std::uint32_t, 8> add{a, b, c, d, e, f, g, k};
    for (int i = 0; i < 8; ++i) h[i] += add[i];
}

} // namespace

std::string sha256Hex(std::string_view bytes) {
    std::array<std::uint32_t, 8> h{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t whole = bytes.size() / 64 * 64;
    for (std::size_t at = 0; at < whole; at += 64) sha256Block(h, data + at);
    // The rest, the 0x80 marker, zeros, and the length in bits as a big-endian 64-bit number.
    std::array<unsigned char, 128> tail{};
    const std::size_t rest = bytes.size() - whole;
    std::copy(data + whole, data + bytes.size(), tail.begin());
    tail[rest] = 0x80;
    const std::size_t tailSize = rest < 56 ? 64 : 128;
    const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
    for (int i = 0; i < 8; ++i) tail[tailSize - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    for (std::size_t at = 0; at < tailSize; at += 64) sha256Block(h, tail.data() + at);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (std::uint32_t word : h) {
        for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kHex[(word >> shift) & 0xF]);
    }
    return out;
}

std::filesystem::path sharedDir() { return TRASSOLIN_SHARED_DIR; }
std::filesystem::path examplesDir() { return TRASSOLIN_EXAMPLES_DIR; }
std::filesystem::path testDataDir() { return TRASSOLIN_TEST_DATA_DIR; }

} // namespace trassolin::test
