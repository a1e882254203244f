// The glTF files of real and random roads, read back with tinygltf and set against the i3d
// document of the same run: the same vertices, triangles, curves, control points, textures
// and bounds, to the precision of 32-bit floats; and triangles that face where their normals
// point.
#include "generation/random_sequence.h"
#include "generation/run.h"
#include "io/paths.h"
#include "output/gltf.h"
#include "support/road_runs.h"
#include "support/test_support.h"
#include "uGlobal/numbers.h"
#include "uGlobal/utf8.h"

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace trassolin {
namespace {

using Rows = std::vector<std::vector<double>>;

// The numbers of an i3d document.
struct I3d {
    Rows p, n, t0, vi, cv, firstVertex, numVertices, files;
    std::vector<std::size_t> curveSizes; // control vertices per NurbsCurve, in order
    std::vector<std::string> textures;   // the File names, in order

    explicit I3d(const std::string& doc) {
        p = test::attributeNumbers(doc, "p");
        n = test::attributeNumbers(doc, "n");
        t0 = test::attributeNumbers(doc, "t0");
        vi = test::attributeNumbers(doc, "vi");
        cv = test::attributeNumbers(doc, "c");
        firstVertex = test::attributeNumbers(doc, "firstVertex");
        numVertices = test::attributeNumbers(doc, "numVertices");
        for (auto at = doc.find("<NurbsCurve "); at != std::string::npos;
             at = doc.find("<NurbsCurve ", at + 1)) {
            const std::string block = doc.substr(at, doc.find("</NurbsCurve>", at) - at);
            curveSizes.push_back(test::attributeNumbers(block, "c").size());
        }
        const std::string key = " filename=\"";
        for (auto at = doc.find(key); at != std::string::npos; at = doc.find(key, at + 1)) {
            const auto start = at + key.size();
            // Latin-1 in the document, UTF-8 everywhere else.
            std::string name;
            for (const char c : doc.substr(start, doc.find('"', start) - start)) {
                appendUtf8(name, static_cast<unsigned char>(c));
            }
            textures.push_back(name);
        }
    }
};

bool noImage(tinygltf::Image*, const int, std::string*, std::string*, int, int,
             const unsigned char*, int, void*) {
    return true; // the .dds textures are not shipped, and a reader needs none of them here
}

struct ReadBack {
    tinygltf::Model model;
    bool loaded = false;
    std::string errors, warnings;
};

ReadBack read(const std::filesystem::path& file) {
    ReadBack r;
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(noImage, nullptr);
    r.loaded = gltfFormFor(file) == GltfForm::Binary
                   ? loader.LoadBinaryFromFile(&r.model, &r.errors, &r.warnings, file.string())
                   : loader.LoadASCIIFromFile(&r.model, &r.errors, &r.warnings, file.string());
    return r;
}

// The values of an accessor of floats or 32-bit indices, `width` per element.
template <typename T>
std::vector<std::vector<double>> valuesOf(const tinygltf::Model& m, int accessor, int width) {
    const tinygltf::Accessor& a = m.accessors.at(static_cast<std::size_t>(accessor));
    const tinygltf::BufferView& view = m.bufferViews.at(static_cast<std::size_t>(a.bufferView));
    const auto& data = m.buffers.at(static_cast<std::size_t>(view.buffer)).data;
    std::vector<std::vector<double>> out;
    for (std::size_t k = 0; k < a.count; ++k) {
        std::vector<double> row;
        for (int c = 0; c < width; ++c) {
            T value;
            std::memcpy(&value,
                        data.data() + view.byteOffset + a.byteOffset +
                            (k * static_cast<std::size_t>(width) + static_cast<std::size_t>(c)) * sizeof(T),
                        sizeof(T));
            row.push_back(static_cast<double>(value));
        }
        out.push_back(row);
    }
    return out;
}

std::string uriDecoded(const std::string& uri) {
    std::string out;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size()) {
            out.push_back(static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(uri[i]);
        }
    }
    return out;
}

// A 32-bit float relative to its node's origin, against the document's four decimals.
double tolerance(double value) { return 5.1e-5 + std::fabs(value) * 1.2e-7; }

using V3 = std::array<double, 3>;
V3 sub(const V3& a, const V3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 cross(const V3& a, const V3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Everything the glTF of a run says, checked against the i3d document of the same run.
void expectSameRoad(const std::filesystem::path& gltfFile, const std::string& i3dText,
                    const ParameterSet& params, const std::string& what) {
    const I3d doc(i3dText);
    // The textures lie beside the document, as in the modder's map; their pixels are none of
    // this test's business.
    for (const std::string& texture : doc.textures) {
        if (!texture.empty()) test::writeFile(gltfFile.parent_path() / pathFromUtf8(texture), "DDS ");
    }
    const ReadBack r = read(gltfFile);
    ASSERT_TRUE(r.loaded) << what << ": " << r.errors;
    EXPECT_EQ(r.errors, "") << what;
    EXPECT_EQ(r.warnings, "") << what;
    const tinygltf::Model& m = r.model;
    ASSERT_EQ(m.scenes.size(), 1u) << what;
    ASSERT_EQ(m.scenes[0].nodes, std::vector<int>{0}) << what;
    const tinygltf::Node& root = m.nodes.at(0);
    EXPECT_EQ(root.name, params.strassenName) << what;

    std::size_t part = 0, curve = 0, controlPoint = 0;
    std::size_t vertexTotal = 0, triangleTotal = 0, curveRow = 0;
    V3 low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
    for (const int child : root.children) {
        const tinygltf::Node& node = m.nodes.at(static_cast<std::size_t>(child));
        V3 origin{0, 0, 0};
        for (std::size_t i = 0; i < node.translation.size(); ++i) origin[i] = node.translation[i];
        if (node.mesh < 0 && !node.name.starts_with("SplinePkt")) {
            // A part without a triangle (a verge of the origin alone): a node without a mesh.
            ASSERT_LT(part, doc.numVertices.size()) << what;
            vertexTotal += static_cast<std::size_t>(doc.numVertices[part][0]);
            ++part;
            continue;
        }
        if (node.mesh < 0) {
            // A control point: where the user put it.
            ASSERT_LT(controlPoint, static_cast<std::size_t>(params.splines.count())) << what;
            const TSplinePkt& s = *params.splines.get(static_cast<int>(controlPoint));
            EXPECT_EQ(node.name, "SplinePkt" + std::to_string(controlPoint + 1)) << what;
            EXPECT_EQ(origin, (V3{s.X, s.Y, s.Z})) << what << ", " << node.name;
            ASSERT_EQ(node.rotation.size(), 4u);
            double length = 0;
            for (double q : node.rotation) length += q * q;
            EXPECT_NEAR(length, 1.0, 1e-8) << what; // components on a grid of 1e-9
            ++controlPoint;
            continue;
        }
        const tinygltf::Primitive& primitive =
            m.meshes.at(static_cast<std::size_t>(node.mesh)).primitives.at(0);
        const auto positions = valuesOf<float>(m, primitive.attributes.at("POSITION"), 3);
        if (primitive.mode == TINYGLTF_MODE_LINE) {
            ADD_FAILURE() << "lines instead of a line strip";
        }
        if (primitive.mode == TINYGLTF_MODE_LINE_STRIP) {
            // A traffic curve: its control polygon.
            ASSERT_LT(curve, doc.curveSizes.size()) << what;
            ASSERT_EQ(positions.size(), doc.curveSizes[curve]) << what << ", " << node.name;
            for (const auto& q : positions) {
                for (std::size_t i = 0; i < 3; ++i) {
                    EXPECT_NEAR(origin[i] + q[i], doc.cv[curveRow][i], tolerance(q[i]))
                        << what << ", " << node.name;
                }
                ++curveRow;
            }
            ++curve;
            continue;
        }
        ASSERT_EQ(primitive.mode, TINYGLTF_MODE_TRIANGLES) << what;
        ASSERT_LT(part, doc.numVertices.size()) << what;
        const auto first = static_cast<std::size_t>(doc.firstVertex[part][0]);
        ASSERT_EQ(positions.size(), static_cast<std::size_t>(doc.numVertices[part][0]))
            << what << ", " << node.name;
        const auto normals = valuesOf<float>(m, primitive.attributes.at("NORMAL"), 3);
        const auto uvs = valuesOf<float>(m, primitive.attributes.at("TEXCOORD_0"), 2);
        const tinygltf::Accessor& positionAccessor =
            m.accessors.at(static_cast<std::size_t>(primitive.attributes.at("POSITION")));
        for (std::size_t k = 0; k < positions.size(); ++k) {
            for (std::size_t i = 0; i < 3; ++i) {
                const double world = origin[i] + positions[k][i];
                EXPECT_NEAR(world, doc.p[first + k][i], tolerance(positions[k][i]))
                    << what << ", " << node.name << " vertex " << k;
                EXPECT_NEAR(normals[k][i], doc.n[first + k][i], tolerance(1)) << what;
                low[i] = std::min(low[i], world);
                high[i] = std::max(high[i], world);
                EXPECT_GE(positions[k][i], positionAccessor.minValues[i]);
                EXPECT_LE(positions[k][i], positionAccessor.maxValues[i]);
            }
            for (std::size_t i = 0; i < 2; ++i) {
                EXPECT_NEAR(uvs[k][i], doc.t0[first + k][i], tolerance(uvs[k][i])) << what;
            }
        }
        const auto indices = valuesOf<std::uint32_t>(m, primitive.indices, 1);
        ASSERT_EQ(indices.size() % 3, 0u);
        for (std::size_t t = 0; t * 3 < indices.size(); ++t) {
            const auto& row = doc.vi.at(triangleTotal + t);
            std::array<std::size_t, 3> corner{};
            for (std::size_t c = 0; c < 3; ++c) {
                corner[c] = static_cast<std::size_t>(indices[3 * t + c][0]);
                EXPECT_EQ(static_cast<double>(first + corner[c]), row[c]) << what << ", " << node.name;
            }
            // Counter-clockwise seen from where the normals point, in the file a viewer reads.
            const auto at = [&](std::size_t k) { return V3{positions[k][0], positions[k][1], positions[k][2]}; };
            const auto normal = [&](std::size_t k) { return V3{normals[k][0], normals[k][1], normals[k][2]}; };
            const V3 facing = cross(sub(at(corner[1]), at(corner[0])), sub(at(corner[2]), at(corner[0])));
            V3 normalSum{0, 0, 0};
            for (std::size_t c = 0; c < 3; ++c) {
                for (std::size_t i = 0; i < 3; ++i) normalSum[i] += normal(corner[c])[i];
            }
            EXPECT_GE(dot(facing, normalSum), -1e-9) << what << ", " << node.name << " triangle " << t;
        }
        vertexTotal += positions.size();
        triangleTotal += indices.size() / 3;
        ++part;
    }
    EXPECT_EQ(part, doc.numVertices.size()) << what;
    EXPECT_EQ(vertexTotal, doc.p.size()) << what;
    EXPECT_EQ(triangleTotal, doc.vi.size()) << what;
    EXPECT_EQ(curve, doc.curveSizes.size()) << what;
    EXPECT_EQ(controlPoint, static_cast<std::size_t>(params.splines.count())) << what;
    // The bounds the document's bounding sphere is made of.
    if (!doc.p.empty()) {
        const auto centre = test::attributeNumbers(i3dText, "bvCenter").at(0);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR((low[i] + high[i]) / 2, centre[i], 2 * tolerance(high[i] - low[i])) << what;
        }
    }
    // One image per texture the document names, by its file name.
    std::vector<std::string> named, images;
    for (const std::string& t : doc.textures) {
        if (!t.empty()) named.push_back(t);
    }
    for (const tinygltf::Image& image : m.images) images.push_back(uriDecoded(image.uri));
    EXPECT_EQ(images, named) << what;
    ASSERT_EQ(m.materials.size(), doc.textures.size()) << what;
}

struct Written {
    bool ok = false;
    std::string i3d;
};

Written generate(ParameterSet& params, const test::TempDir& dir, const std::string& gltfName) {
    CollectingMessageSink messages;
    CollectingStatusLog log;
    RandomSequence random;
    Written w;
    w.ok = runGeneration(params, dir / "road.i3d", messages, log, random, '.',
                         {.gltf = dir / gltfName});
    if (w.ok) w.i3d = test::readFile(dir / "road.i3d");
    return w;
}

TEST(GltfReadBack, theExamplesAreTheirI3dDocumentsInBothForms) {
    for (const char* file : {"landstrasse.ini", "dorfstrasse.ini"}) {
        for (const bool allParts : {false, true}) {
            for (const char* name : {"road.glb", "road.gltf"}) {
                test::TempDir dir;
                ParameterSet params = test::example(file, allParts);
                const Written w = generate(params, dir, name);
                ASSERT_TRUE(w.ok) << file;
                expectSameRoad(dir / name, w.i3d, params,
                               std::string(file) + (allParts ? " with all parts, " : ", ") + name);
            }
        }
    }
}

// Parameter files of every kind: random control points, widths, verge profiles, textures and
// switches, as a user could save them.
ParameterSet randomRoad(std::mt19937& rng) {
    const auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(rng);
    };
    const auto chance = [&](double p) { return std::bernoulli_distribution(p)(rng); };
    ParameterSet p;
    std::vector<TSplinePkt> points;
    const int count = std::uniform_int_distribution<int>(2, 6)(rng);
    double heading = uniform(-180, 180), x = uniform(-2000, 2000), z = uniform(-2000, 2000);
    double y = uniform(-20, 80);
    for (int i = 0; i < count; ++i) {
        TSplinePkt s;
        s.X = x, s.Y = y, s.Z = z;
        s.Yrot = heading + uniform(-20, 20);
        s.Xrot = uniform(-3, 3);
        s.Zrot = uniform(-6, 6);
        points.push_back(s);
        heading += uniform(-25, 25);
        const double step = uniform(15, 90);
        x += step * std::sin(heading * std::numbers::pi / 180);
        z += step * std::cos(heading * std::numbers::pi / 180);
        y += uniform(-3, 3);
    }
    p.splines.assignPoints(points);
    p.breite = formatGeneral(uniform(3, 10), ',');
    p.schleppkurveErzeugen = chance(0.5);
    p.sturzErzeugen = chance(0.5);
    p.sturz = formatGeneral(uniform(0, 60), '.');
    p.fahrbahnErzeugen = chance(0.85);
    p.texturLaenge = formatGeneral(uniform(2, 25), ',');
    p.rueckfaltung = chance(0.2);
    p.rueckfaltungP = "0.05";
    p.ruecksetzen = !p.rueckfaltung && chance(0.4);
    p.streckung = formatGeneral(uniform(0, 1), '.');
    p.transformGroup = chance(0.5);
    p.preferences.dreieckeSym = chance(0.3);
    p.trafficMitte = chance(0.5);
    p.trafficRechts = chance(0.5);
    p.trafficLinks = chance(0.5);
    p.gegenspurUmkehren = chance(0.5);
    for (TRandPunkte* edge : {&p.rechterRand, &p.linkerRand}) {
        std::vector<test::ProfileSegment> segments;
        const int n = std::uniform_int_distribution<int>(0, 4)(rng);
        for (int i = 0; i < n; ++i) segments.push_back({uniform(0.2, 3), uniform(-70, 40), 0.25 * (i + 1)});
        *edge = test::profileOf(edge->rightSide(), segments);
        edge->enabled = chance(0.7);
        edge->textureLength = uniform(1, 12);
        edge->resetInsteadOfMirror = chance(0.4);
        edge->textureFileName = chance(0.5) ? "rand kante.dds" : "Böschung.dds";
    }
    p.fuellFlaecheErzeugen = p.rechterRand.enabled && p.linkerRand.enabled && chance(0.6);
    p.fill.textureFile = chance(0.5) ? "" : "stirn.dds";
    return p;
}

TEST(GltfReadBack, randomParameterFilesGiveTheSameNumbersInBothFiles) {
    std::mt19937 rng(20261208);
    int written = 0;
    for (int k = 0; k < 40; ++k) {
        ParameterSet params = randomRoad(rng);
        test::TempDir dir;
        const std::string name = k % 2 == 0 ? "road.glb" : "road.gltf";
        const Written w = generate(params, dir, name);
        if (!w.ok) continue; // a path that cannot be refined, or a floating-point stop
        ++written;
        expectSameRoad(dir / name, w.i3d, params, "random road " + std::to_string(k));
        if (HasFailure()) return;
    }
    EXPECT_GE(written, 30);
}

} // namespace
} // namespace trassolin
