#include "terrain/png_image.h"

#include "io/paths.h"
#include "support/test_support.h"
#include "uGlobal/errors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace trassolin {
namespace {

std::string encoded(int width, int height, int bitDepth,
                    const std::function<std::uint16_t(int, int)>& value) {
    std::string bytes;
    encodeGreyPng(
        width, height, bitDepth,
        [&](int row, std::span<std::uint16_t> pixels) {
            for (int c = 0; c < width; ++c)
                pixels[static_cast<std::size_t>(c)] = value(c, row);
        },
        [&](std::string_view b) { bytes += b; });
    return bytes;
}

std::uint32_t bigEndian32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

// Values that catch a swapped byte order, a lost high or low byte and a filter that
// misreads the neighbour of a 2-byte pixel.
std::uint16_t awkward(int c, int r) {
    static constexpr std::uint16_t kValues[] = {0,      65535, 0x00FF, 0xFF00, 0x0100, 0x7FFF,
                                                0x8000, 1,     257,    40000,  12345};
    return static_cast<std::uint16_t>(kValues[(c * 7 + r * 3) % 11] ^ (c * 31 + r * 17));
}

TEST(PngImage, sixteenBitPixelsSurviveAWriteAndAReadExactly) {
    test::TempDir dir;
    for (const auto& [width, height] : {std::pair{1, 1}, {2, 3}, {37, 5}, {129, 65}}) {
        const auto file = dir / ("dem-" + std::to_string(width) + ".png");
        test::writeHeightMap(file, width, height, awkward);
        const GreyImage16 image = readGreyPng16(file);
        ASSERT_EQ(image.width(), width);
        ASSERT_EQ(image.height(), height);
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) {
                ASSERT_EQ(image.at(c, r), awkward(c, r)) << width << ": " << c << ", " << r;
            }
        }
    }
}

TEST(PngImage, theHeaderSaysOneGreyChannelAndTheBitDepth) {
    for (const int depth : {8, 16}) {
        const std::string png = encoded(300, 2, depth, [](int c, int) { return c % 200; });
        ASSERT_GT(png.size(), 8u + 25u + 12u);
        EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
        EXPECT_EQ(bigEndian32(png, 8), 13u);
        EXPECT_EQ(png.substr(12, 4), "IHDR");
        EXPECT_EQ(bigEndian32(png, 16), 300u);
        EXPECT_EQ(bigEndian32(png, 20), 2u);
        EXPECT_EQ(static_cast<int>(png[24]), depth);
        EXPECT_EQ(png.substr(25, 4), std::string(4, '\0')); // grey, deflate, filtered, plain
        EXPECT_EQ(png.substr(png.size() - 12), std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12));
        // The same pixels give the same bytes.
        EXPECT_EQ(encoded(300, 2, depth, [](int c, int) { return c % 200; }), png);
    }
}

TEST(PngImage, aSmoothMapIsStoredCompressed) {
    // A gentle slope of 513² pixels: 527 kB of pixels.
    const std::string png = encoded(513, 513, 16, [](int c, int r) {
        return static_cast<std::uint16_t>(20000 + 3 * c + 5 * r);
    });
    EXPECT_LT(png.size(), 513u * 513u * 2u / 20u);
}

TEST(PngImage, refusesWhatIsNoSixteenBitGreyImage) {
    test::TempDir dir;
    test::writeFile(dir / "text.png", "kein Bild");
    std::string eight = encoded(3, 1, 8, [](int c, int) { return c; });
    test::writeFile(dir / "acht.png", eight);
    // The same scanline bytes declared as one RGB pixel (the reader does not check CRCs).
    std::string rgb = eight;
    rgb[19] = 1; // width
    rgb[25] = 2; // colour type RGB
    test::writeFile(dir / "farbe.png", rgb);
    const std::string good = encoded(64, 64, 16, awkward);
    test::writeFile(dir / "kurz.png", good.substr(0, good.size() / 2));
    std::filesystem::create_directory(dir / "ordner.png");

    const std::string notAHeightMap = " ist kein Höhenbild: erwartet wird ein Graustufenbild mit "
                                      "16 Bit je Pixel, wie es der GIANTS-Editor als Höhenkarte "
                                      "schreibt";
    const struct {
        const char* name;
        std::string message;
    } cases[] = {
        {"fehlt.png", " kann nicht geöffnet werden"},
        {"ordner.png", " kann nicht gelesen werden"},
        {"text.png", " ist kein lesbares PNG-Bild"},
        {"acht.png", notAHeightMap},
        {"farbe.png", notAHeightMap},
        {"kurz.png", " ist beschädigt (64 × 64 Pixel angegeben, die Bilddaten lassen sich nicht "
                     "lesen)"},
    };
    for (const auto& c : cases) {
        const auto file = dir / c.name;
        EXPECT_EQ(test::thrownMessage<TrassolinError>([&] { readGreyPng16(file); }),
                  "Die Datei " + displayPath(file) + c.message);
    }
    EXPECT_THROW(readGreyPng16(dir / "fehlt.png"), IoError);
}

// A PNG of the given size whose one IDAT holds `matches` copies of 258 zero bytes: a fixed
// Huffman deflate block of a literal 0 and then <length 258, distance 1> over and over, 13 bits
// for 258 bytes. The checksums are left 0: the reader does not look at them.
std::string zeroBomb(int width, int height, int matches) {
    std::string deflate;
    unsigned buffer = 0;
    int bits = 0;
    const auto put = [&](unsigned code, int length) { // Huffman codes go most significant bit first
        for (int i = length - 1; i >= 0; --i) {
            buffer |= ((code >> i) & 1u) << bits;
            if (++bits == 8) {
                deflate += static_cast<char>(buffer);
                buffer = 0;
                bits = 0;
            }
        }
    };
    put(1, 1);            // final block
    put(1, 1), put(0, 1); // fixed Huffman codes (BTYPE 01, LSB first)
    put(0x30, 8);         // literal 0
    for (int i = 0; i < matches; ++i)
        put(0xC5, 8), put(0, 5); // length 258, distance 1
    put(0, 7);                   // end of block
    put(0, 7);                   // flush
    std::string idat = std::string("\x78\x01", 2) + deflate + std::string(4, '\0');
    const auto be32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 8), static_cast<char>(v)};
    };
    const auto chunk = [&](const std::string& type, const std::string& data) {
        return be32(static_cast<std::uint32_t>(data.size())) + type + data + std::string(4, '\0');
    };
    return std::string("\x89PNG\r\n\x1A\n", 8) +
           chunk("IHDR", be32(static_cast<std::uint32_t>(width)) +
                             be32(static_cast<std::uint32_t>(height)) +
                             std::string("\x10\0\0\0\0", 5)) +
           chunk("IDAT", idat) + chunk("IEND", "");
}

TEST(PngImage, refusesDataThatUnpacksToFarMoreThanItsSizeNeeds) {
    test::TempDir dir;
    // 64 × 64 pixels need 8 kB of scanlines; this unpacks to 8 MB.
    test::writeFile(dir / "bombe.png", zeroBomb(64, 64, 32768));
    EXPECT_EQ(test::thrownMessage<TrassolinError>([&] { readGreyPng16(dir / "bombe.png"); }),
              "Die Datei " + displayPath(dir / "bombe.png") +
                  " ist beschädigt (ihre Bilddaten sind weit größer, als 64 × 64 Pixel brauchen)");
    // The same stream of exactly the scanlines' size is an image of zeros.
    test::writeFile(dir / "null.png", zeroBomb(129, 1, 1));
    const GreyImage16 zeros = readGreyPng16(dir / "null.png");
    EXPECT_EQ(zeros.width(), 129);
    for (int c = 0; c < 129; ++c)
        EXPECT_EQ(zeros.at(c, 0), 0);
}

// Found by fuzzing: an empty image data chunk before the data made the decoder copy nothing
// to a null pointer, which the sanitizer build stops at. PNG allows empty chunks.
TEST(PngImage, anEmptyImageDataChunkChangesNothing) {
    test::TempDir dir;
    std::string bytes = encoded(37, 5, 16, awkward);
    const std::size_t data = bytes.find("IDAT") - 4; // the chunk's length comes first
    bytes.insert(data, std::string("\0\0\0\0IDAT\0\0\0\0", 12));
    test::writeFile(dir / "leer.png", bytes);
    const GreyImage16 image = readGreyPng16(dir / "leer.png");
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 37; ++c) ASSERT_EQ(image.at(c, r), awkward(c, r)) << c << ", " << r;
    }
}

TEST(PngImage, refusesAHeightMapLargerThanAnyMap) {
    test::TempDir dir;
    std::string big = encoded(1, 1, 16, awkward);
    big[16] = 0, big[17] = 0, big[18] = 0x40, big[19] = 0x02; // width 16386
    test::writeFile(dir / "riesig.png", big);
    EXPECT_EQ(test::thrownMessage<TrassolinError>([&] { readGreyPng16(dir / "riesig.png"); }),
              "Die Datei " + displayPath(dir / "riesig.png") +
                  " hat 16386 × 1 Pixel; mehr als 16385 je Seite liest Trassolin nicht");
}

TEST(PngImage, anImageOfNoPixelsIsRefused) {
    EXPECT_THROW(GreyImage16(0, 5), TrassolinError);
    EXPECT_THROW(encoded(0, 1, 16, awkward), TrassolinError);
    EXPECT_THROW(encoded(1, 1, 12, awkward), TrassolinError);
}

TEST(PngImage, aFailedWriteLeavesTheOldFile) {
    test::TempDir dir;
    test::writeFile(dir / "maske.png", "alt");
    EXPECT_THROW(writeGreyPng(dir / "maske.png", 4, 4, 8,
                              [](int row, std::span<std::uint16_t>) {
                                  if (row == 2) throw TrassolinError("halt");
                              }),
                 TrassolinError);
    EXPECT_EQ(test::readFile(dir / "maske.png"), "alt");
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"maske.png"});
}

} // namespace
} // namespace trassolin
