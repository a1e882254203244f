#include "settings/text_encoding.h"

#include "uGlobal/utf8.h"

#include <array>
#include <cstdint>
#include <optional>

namespace trassolin {

namespace {

// Code points of the cp1252 bytes 0x80 to 0x9F. The five bytes the code page leaves
// undefined map to the C1 control of the same number, as Windows converts them, so that
// every byte survives a round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
    return byte;
}

std::optional<unsigned char> codePointToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

bool hasNonAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes)
        appendUtf8(out, cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// UTF-16 code units to UTF-8; an unpaired surrogate becomes U+FFFD, an odd last byte is
// dropped.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    const auto unit = [&](std::size_t i) {
        const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        return static_cast<char32_t>((hi << 8) | lo);
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto next = nextCodePoint(bytes, pos);
        if (!next) return false;
        pos += next->second;
    }
    return true;
}

std::string asValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        if (const auto next = nextCodePoint(bytes, pos)) {
            out.append(bytes.substr(pos, next->second));
            pos += next->second;
        } else {
            appendUtf8(out, cp1252ToCodePoint(static_cast<unsigned char>(bytes[pos])));
            ++pos;
        }
    }
    return out;
}

std::string decodeSettingsText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return utf16ToUtf8(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return utf16ToUtf8(bytes.substr(2), true);
    if (bytes.starts_with(kUtf8Bom)) {
        // Marks repeated by an editor that adds one on each save say no more than one.
        std::string_view rest = bytes;
        while (rest.starts_with(kUtf8Bom))
            rest.remove_prefix(kUtf8Bom.size());
        // A mark in front of bytes that are no UTF-8 is not believed: reading them as cp1252
        // keeps every byte, where replacement characters would lose them on the next save.
        return isValidUtf8(rest) ? std::string(rest) : cp1252ToUtf8(rest);
    }
    if (hasNonAscii(bytes) && isValidUtf8(bytes)) return std::string(bytes);
    return cp1252ToUtf8(bytes);
}

std::string encodeSettingsText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const auto next = nextCodePoint(utf8, pos);
        if (!next) return std::string(utf8);
        const auto byte = codePointToCp1252(next->first);
        if (!byte) return std::string(utf8);
        out += static_cast<char>(*byte);
        pos += next->second;
    }
    if (hasNonAscii(out) && isValidUtf8(out)) return std::string(kUtf8Bom) + std::string(utf8);
    return out;
}

} // namespace trassolin
