// The glTF writer's container and texts, read byte by byte. What the file says about the road
// is read back with a glTF reader in gltf_reader_test.cpp.
#include "output/gltf.h"
#include "support/road_runs.h"
#include "support/test_support.h"
#include "uGlobal/errors.h"
#include "winding_road.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace trassolin {
namespace {

std::uint32_t u32At(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::string base64Decoded(const std::string& text) {
    static const std::string kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::uint32_t bits = 0;
    int held = 0;
    for (char c : text) {
        if (c == '=') break;
        bits = (bits << 6) | static_cast<std::uint32_t>(kAlphabet.find(c));
        held += 6;
        if (held >= 8) {
            held -= 8;
            out.push_back(static_cast<char>((bits >> held) & 0xFF));
        }
    }
    return out;
}

// The number after `"key":` at its first occurrence after `from`.
std::size_t numberAfter(const std::string& json, const std::string& key, std::size_t from = 0) {
    const auto at = json.find("\"" + key + "\":", from);
    EXPECT_NE(at, std::string::npos) << key;
    return std::stoul(json.substr(at + key.size() + 3));
}

struct Glb {
    std::string json, binary;
};

// Checks the container and takes it apart.
Glb unpack(const std::string& glb) {
    Glb parts;
    EXPECT_EQ(glb.substr(0, 4), "glTF");
    EXPECT_EQ(u32At(glb, 4), 2u);
    EXPECT_EQ(u32At(glb, 8), glb.size());
    const std::uint32_t jsonBytes = u32At(glb, 12);
    EXPECT_EQ(glb.substr(16, 4), "JSON");
    EXPECT_EQ(jsonBytes % 4, 0u);
    parts.json = glb.substr(20, jsonBytes);
    std::size_t at = 20 + jsonBytes;
    if (at < glb.size()) {
        const std::uint32_t binaryBytes = u32At(glb, at);
        EXPECT_EQ(binaryBytes % 4, 0u);
        EXPECT_EQ(glb.substr(at + 4, 4), std::string("BIN\0", 4));
        parts.binary = glb.substr(at + 8, binaryBytes);
        EXPECT_EQ(at + 8 + binaryBytes, glb.size());
    }
    return parts;
}

TEST(GltfForm, followsTheExtensionWhateverItsCase) {
    struct Case {
        const char* file;
        std::optional<GltfForm> form;
    };
    for (const Case& c : {Case{"road.glb", GltfForm::Binary}, Case{"Straße.GLB", GltfForm::Binary},
                          Case{"dir.x/road.gltf", GltfForm::Embedded},
                          Case{"road.GlTf", GltfForm::Embedded}, Case{"road.i3d", std::nullopt},
                          Case{"glb", std::nullopt}, Case{"road.glb.bak", std::nullopt},
                          Case{"road.", std::nullopt}}) {
        EXPECT_EQ(gltfFormFor(test::examplesDir() / c.file), c.form) << c.file;
    }
}

TEST(GltfImageUri, keepsPlainNamesAndEncodesEverythingElse) {
    struct Case {
        const char* name;
        const char* uri;
    };
    for (const Case& c : {Case{"asphalt_diffuse.dds", "asphalt_diffuse.dds"},
                          Case{"bitte eingeben", "bitte%20eingeben"},
                          Case{"Stra\xC3\x9F"
                               "e.dds",
                               "Stra%C3%9Fe.dds"},
                          Case{"textures\\road-1~a.dds", "textures/road-1~a.dds"},
                          Case{"50%#?.dds", "50%25%23%3F.dds"}, Case{"", ""}}) {
        EXPECT_EQ(imageUri(c.name), c.uri) << c.name;
    }
}

TEST(GltfFile, binaryAndEmbeddedCarryTheSameBufferAndDescription) {
    // Roads whose buffers end on every remainder of three bytes, so that base64 pads 0, 1 or
    // 2 times.
    std::vector<std::size_t> remainders;
    for (const char* file : {"landstrasse.ini", "dorfstrasse.ini"}) {
        for (const bool allParts : {false, true}) {
            ParameterSet params = test::example(file, allParts);
            const RoadMesh mesh = test::meshOf(params).mesh;
            const Glb glb = unpack(gltfBytes(mesh, GltfForm::Binary));
            const std::string text = gltfBytes(mesh, GltfForm::Embedded);
            const std::size_t length = numberAfter(glb.json, "byteLength", glb.json.find("\"buffers\""));
            ASSERT_LE(length, glb.binary.size());
            EXPECT_LT(glb.binary.size() - length, 4u);
            EXPECT_EQ(glb.binary.find_first_not_of('\0', length), std::string::npos);
            remainders.push_back(length % 3);

            const std::string marker = "\"uri\":\"data:application/octet-stream;base64,";
            const auto start = text.find(marker);
            ASSERT_NE(start, std::string::npos);
            const auto end = text.find('"', start + marker.size());
            // (Compared as truth values: a difference of megabytes is no message.)
            EXPECT_TRUE(base64Decoded(text.substr(start + marker.size(), end - start - marker.size())) ==
                        glb.binary.substr(0, length))
                << file;
            // Apart from the buffer's data, the same JSON; the binary one padded with blanks.
            std::string json = glb.json.substr(0, glb.json.find_last_not_of(' ') + 1);
            json.insert(json.size() - 3, text.substr(start - 1, end + 1 - (start - 1)));
            EXPECT_TRUE(json + "\n" == text) << file;
        }
    }
    std::sort(remainders.begin(), remainders.end());
    remainders.erase(std::unique(remainders.begin(), remainders.end()), remainders.end());
    EXPECT_EQ(remainders, (std::vector<std::size_t>{0, 1, 2}));
}

TEST(GltfFile, aRoadWithoutPartsOrCurvesHasNoBuffer) {
    RoadMesh mesh;
    mesh.name = "Leer";
    mesh.controlPoints.push_back({{1, 2, 3}, {0, 90, 0}});
    const Glb glb = unpack(gltfBytes(mesh, GltfForm::Binary));
    EXPECT_TRUE(glb.binary.empty());
    for (const std::string& json : {glb.json, gltfBytes(mesh, GltfForm::Embedded)}) {
        EXPECT_EQ(json.find("buffer"), std::string::npos);
        EXPECT_EQ(json.find("accessors"), std::string::npos);
        // A quarter turn about Y: sin 45 degrees on Y.
        EXPECT_NE(json.find("{\"name\":\"SplinePkt1\",\"translation\":[1,2,3],\"rotation\":[0,0.707106781,0,0.707106781]}"),
                  std::string::npos)
            << json;
    }
}

TEST(GltfFile, namesAreJsonStringsWhateverBytesTheyHold) {
    RoadMesh mesh;
    // A quote, a backslash, a tab, UTF-8 and a byte that is no UTF-8 (Latin-1 "ß").
    mesh.name = "A\"B\\C\tStra\xC3\x9F"
                "e \xDF";
    const std::string json = gltfBytes(mesh, GltfForm::Embedded);
    EXPECT_NE(json.find("\"name\":\"A\\\"B\\\\C\\u0009Stra\xC3\x9F"
                        "e \xC3\x9F\""),
              std::string::npos)
        << json;
}

TEST(GltfFile, aLongRoadIsHandedOnInPiecesNeverWhole) {
    test::TempDir dir;
    bench::writeWindingRoad(dir / "road.ini", 10);
    ParameterSet params = bench::loadWindingRoad(dir / "road.ini");
    const RoadMesh mesh = test::meshOf(params).mesh;
    for (const GltfForm form : {GltfForm::Binary, GltfForm::Embedded}) {
        std::vector<std::size_t> pieces;
        std::string joined;
        writeGltf(mesh, form, [&](std::string_view bytes) {
            pieces.push_back(bytes.size());
            joined.append(bytes);
        });
        EXPECT_EQ(joined, gltfBytes(mesh, form));
        EXPECT_GT(pieces.size(), 1u);
        EXPECT_LE(*std::max_element(pieces.begin(), pieces.end()), 256u * 1024u);
    }
}

TEST(GltfFile, aNonFiniteControlPointStopsTheWritingWithAFloatingPointError) {
    RoadMesh mesh;
    mesh.controlPoints.push_back({{0, 0, std::numeric_limits<double>::infinity()}, {0, 0, 0}});
    EXPECT_THROW(gltfBytes(mesh, GltfForm::Binary), FloatingPointError);
}

} // namespace
} // namespace trassolin
