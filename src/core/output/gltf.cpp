#include "output/gltf.h"

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"
#include "uGlobal/utf8.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

namespace trassolin {

namespace {

// Constants that glTF 2.0 fixes.
constexpr int kFloat = 5126;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kTriangles = 4;
constexpr int kLineStrip = 3;
constexpr int kRepeat = 10497;
constexpr std::uint32_t kGlbMagic = 0x46546C67;     // "glTF"
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;    // "JSON"
constexpr std::uint32_t kBinaryChunk = 0x004E4942;  // "BIN\0"

using Float3 = std::array<float, 3>;

// Every number is taken on a grid far coarser than the last bits in which the mathematical
// libraries of two systems may differ (a sine, a cosine), so that a road gives the same bytes
// on Linux and Windows, as its i3d document does: positions, texture coordinates and control
// vertices on the document's own grid (0.1 mm, 1e-4 repeats), normals on 1e-6 (unit length
// within 1e-6), rotations on 1e-9. (+ 0.0: a value just below zero is no -0.)
constexpr double kDocumentGrid = 1e4, kNormalGrid = 1e6, kRotationGrid = 1e9;

double onGrid(double value, double perUnit) {
    return std::nearbyint(value * perUnit) / perUnit + 0.0;
}

float onGridFloat(double value, double perUnit) {
    return static_cast<float>(onGrid(value, perUnit));
}

// Where a node's coordinates are counted from: a whole metre near the middle of its box.
Vec3 originOf(const BoundingBox& box) {
    Vec3 origin{0.0, 0.0, 0.0};
    if (box.empty()) return origin;
    for (std::size_t i = 0; i < 3; ++i) {
        const double middle = (onGrid(box.min[i], kDocumentGrid) + onGrid(box.max[i], kDocumentGrid)) / 2;
        origin[i] = std::round(middle) + 0.0;
    }
    return origin;
}

Float3 relative(double x, double y, double z, const Vec3& origin) {
    return {static_cast<float>(onGrid(x, kDocumentGrid) - origin[0]),
            static_cast<float>(onGrid(y, kDocumentGrid) - origin[1]),
            static_cast<float>(onGrid(z, kDocumentGrid) - origin[2])};
}

// The bounds a POSITION accessor declares: those of the 32-bit values as stored.
struct FloatBounds {
    Float3 min{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
               std::numeric_limits<float>::max()};
    Float3 max{std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest(),
               std::numeric_limits<float>::lowest()};
    void include(const Float3& p) {
        for (std::size_t i = 0; i < 3; ++i) {
            min[i] = std::min(min[i], p[i]);
            max[i] = std::max(max[i], p[i]);
        }
    }
};

// A shape (a part, or a chunk of one) or a curve as the file holds it: its node's origin, and
// where its data lies in the buffer (byte offsets).
struct PartLayout {
    MeshShape shape;
    Vec3 origin;
    FloatBounds bounds;
    std::size_t positions = 0, normals = 0, texcoords = 0, indices = 0;
    bool drawn() const { return shape.triangleCount() > 0; }
};

struct CurveLayout {
    const MeshCurve* curve;
    Vec3 origin;
    FloatBounds bounds;
    std::size_t positions = 0;
    bool drawn() const { return curve->controlVertices.size() >= 2; }
};

struct Layout {
    std::vector<PartLayout> parts;
    std::vector<CurveLayout> curves;
    std::size_t bufferBytes = 0;
};

Layout layoutOf(const RoadMesh& mesh) {
    Layout layout;
    std::size_t at = 0;
    for (const MeshShape& shape : mesh.shapes()) {
        PartLayout p{shape, originOf(shape.bounds()), {}};
        if (p.drawn()) {
            shape.forEachVertex([&](const MeshVertex& v) {
                p.bounds.include(relative(v.x, v.y, v.z, p.origin));
            });
            const std::size_t n = shape.vertexCount();
            p.positions = at;
            p.normals = p.positions + 12 * n;
            p.texcoords = p.normals + 12 * n;
            p.indices = p.texcoords + 8 * n;
            at = p.indices + 12 * std::size_t{shape.triangleCount()};
        }
        layout.parts.push_back(p);
    }
    for (const MeshCurve& curve : mesh.curves) {
        BoundingBox box;
        curve.controlVertices.forEach(0, curve.controlVertices.size(),
                                      [&](const Vec3& v) { box.include(v[0], v[1], v[2]); });
        CurveLayout c{&curve, originOf(box), {}};
        if (c.drawn()) {
            curve.controlVertices.forEach(0, curve.controlVertices.size(), [&](const Vec3& v) {
                c.bounds.include(relative(v[0], v[1], v[2], c.origin));
            });
            c.positions = at;
            at += 12 * curve.controlVertices.size();
        }
        layout.curves.push_back(c);
    }
    layout.bufferBytes = at;
    return layout;
}

// --- JSON ------------------------------------------------------------------------------------

void appendCount(std::string& out, std::size_t value) {
    out.append(formatInteger(static_cast<std::int64_t>(value)));
}

// Names are UTF-8; a byte that is no UTF-8 is taken as the Latin-1 character it would be.
void appendString(std::string& out, const std::string& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    forEachCharacter(text, [&out](char32_t c) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20) {
            out.append("\\u00");
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0xF]);
        } else {
            appendUtf8(out, c);
        }
    });
    out.push_back('"');
}

template <typename Numbers> void appendArray(std::string& out, const Numbers& numbers) {
    out.push_back('[');
    bool first = true;
    for (const auto value : numbers) {
        if (!first) out.push_back(',');
        first = false;
        appendShortest(out, static_cast<double>(value));
    }
    out.push_back(']');
}

// A list of objects: `add(out, item)` for each, with the commas between them.
class JsonList {
public:
    JsonList(std::string& out, const char* key) : out_(out) {
        out_.append(",\"");
        out_.append(key);
        out_.append("\":[");
    }
    ~JsonList() { out_.push_back(']'); }
    JsonList(const JsonList&) = delete;
    JsonList& operator=(const JsonList&) = delete;
    std::string& next() {
        if (!empty_) out_.push_back(',');
        empty_ = false;
        return out_;
    }

private:
    std::string& out_;
    bool empty_ = true;
};

// The rotation of a control point as a unit quaternion [x, y, z, w]: bank about Z first, then
// climb about X, then heading about Y, each a right-handed turn by degrees.
std::array<double, 4> quaternionOf(const Vec3& degrees) {
    const auto half = [](double d) { return d * std::numbers::pi / 360.0; };
    const double cx = std::cos(half(degrees[0])), sx = std::sin(half(degrees[0]));
    const double cy = std::cos(half(degrees[1])), sy = std::sin(half(degrees[1]));
    const double cz = std::cos(half(degrees[2])), sz = std::sin(half(degrees[2]));
    // qY * qX * qZ
    const double w = cy * cx * cz + sy * sx * sz;
    const double x = cy * sx * cz + sy * cx * sz;
    const double y = sy * cx * cz - cy * sx * sz;
    const double z = cy * cx * sz - sy * sx * cz;
    return {onGrid(x, kRotationGrid), onGrid(y, kRotationGrid), onGrid(z, kRotationGrid),
            onGrid(w, kRotationGrid)};
}

struct Accessor {
    std::size_t offset, bytes, count;
    int componentType;
    const char* type;
    int target;
    const FloatBounds* bounds; // POSITION only
};

std::string jsonOf(const RoadMesh& mesh, const Layout& layout) {
    std::vector<Accessor> accessors;
    std::string out = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Trassolin\"}";
    out.append(",\"scene\":0,\"scenes\":[{\"name\":");
    appendString(out, mesh.name);
    out.append(",\"nodes\":[0]}]");

    // Nodes: the road, then its parts, curves and control points as its children.
    std::vector<std::string> meshes;
    {
        JsonList nodes(out, "nodes");
        std::string& root = nodes.next();
        root.append("{\"name\":");
        appendString(root, mesh.name);
        const std::size_t children =
            layout.parts.size() + layout.curves.size() + mesh.controlPoints.size();
        if (children > 0) {
            root.append(",\"children\":[");
            for (std::size_t i = 1; i <= children; ++i) {
                if (i > 1) root.push_back(',');
                appendCount(root, i);
            }
            root.push_back(']');
        }
        root.push_back('}');

        for (const PartLayout& p : layout.parts) {
            std::string& node = nodes.next();
            node.append("{\"name\":");
            appendString(node, p.shape.name());
            if (p.drawn()) {
                node.append(",\"mesh\":");
                appendCount(node, meshes.size());
                node.append(",\"translation\":");
                appendArray(node, p.origin);
                const std::size_t first = accessors.size();
                const std::size_t n = p.shape.vertexCount();
                accessors.push_back({p.positions, 12 * n, n, kFloat, "VEC3", kArrayBuffer, &p.bounds});
                accessors.push_back({p.normals, 12 * n, n, kFloat, "VEC3", kArrayBuffer, nullptr});
                accessors.push_back({p.texcoords, 8 * n, n, kFloat, "VEC2", kArrayBuffer, nullptr});
                const std::size_t t = p.shape.triangleCount();
                accessors.push_back(
                    {p.indices, 12 * t, 3 * t, kUnsignedInt, "SCALAR", kElementArrayBuffer, nullptr});
                std::string m = "{\"name\":";
                appendString(m, p.shape.name());
                m.append(",\"primitives\":[{\"attributes\":{\"POSITION\":");
                appendCount(m, first);
                m.append(",\"NORMAL\":");
                appendCount(m, first + 1);
                m.append(",\"TEXCOORD_0\":");
                appendCount(m, first + 2);
                m.append("},\"indices\":");
                appendCount(m, first + 3);
                m.append(",\"material\":");
                appendCount(m, p.shape.part().material());
                m.append(",\"mode\":");
                appendCount(m, kTriangles);
                m.append("}]}");
                meshes.push_back(std::move(m));
            }
            node.push_back('}');
        }
        for (const CurveLayout& c : layout.curves) {
            std::string& node = nodes.next();
            node.append("{\"name\":");
            appendString(node, c.curve->name);
            if (c.drawn()) {
                node.append(",\"mesh\":");
                appendCount(node, meshes.size());
                node.append(",\"translation\":");
                appendArray(node, c.origin);
                const std::size_t n = c.curve->controlVertices.size();
                std::string m = "{\"name\":";
                appendString(m, c.curve->name);
                m.append(",\"primitives\":[{\"attributes\":{\"POSITION\":");
                appendCount(m, accessors.size());
                m.append("},\"mode\":");
                appendCount(m, kLineStrip);
                m.append("}]}");
                meshes.push_back(std::move(m));
                accessors.push_back({c.positions, 12 * n, n, kFloat, "VEC3", kArrayBuffer, &c.bounds});
            }
            // What the polygon is the control polygon of, for whoever imports it.
            node.append(",\"extras\":{\"curve\":\"NURBS\",\"degree\":3,\"form\":\"open\"}}");
        }
        int k = 0;
        for (const ControlPointPose& pose : mesh.controlPoints) {
            std::string& node = nodes.next();
            node.append("{\"name\":\"SplinePkt");
            appendCount(node, static_cast<std::size_t>(++k));
            node.append("\",\"translation\":");
            appendArray(node, pose.position);
            node.append(",\"rotation\":");
            appendArray(node, quaternionOf(pose.rotation));
            node.push_back('}');
        }
    }
    if (!meshes.empty()) {
        JsonList list(out, "meshes");
        for (const std::string& m : meshes) list.next().append(m);
    }
    if (!mesh.materials.empty()) {
        std::vector<std::size_t> textured; // materials with a texture file, in order
        {
            JsonList materials(out, "materials");
            for (std::size_t i = 0; i < mesh.materials.size(); ++i) {
                std::string& m = materials.next();
                m.append("{\"name\":");
                appendString(m, mesh.materials[i].name);
                // A road is no metal: without a metallic factor of 0 a viewer draws it dark.
                m.append(",\"pbrMetallicRoughness\":{");
                if (!mesh.materials[i].texture.empty()) {
                    m.append("\"baseColorTexture\":{\"index\":");
                    appendCount(m, textured.size());
                    m.append("},");
                    textured.push_back(i);
                }
                m.append("\"metallicFactor\":0}}");
            }
        }
        if (!textured.empty()) {
            {
                JsonList textures(out, "textures");
                for (std::size_t i = 0; i < textured.size(); ++i) {
                    std::string& t = textures.next();
                    t.append("{\"sampler\":0,\"source\":");
                    appendCount(t, i);
                    t.push_back('}');
                }
            }
            {
                JsonList images(out, "images");
                for (const std::size_t i : textured) {
                    std::string& image = images.next();
                    image.append("{\"uri\":");
                    appendString(image, imageUri(mesh.materials[i].texture));
                    image.push_back('}');
                }
            }
            // V counts texture repeats along the road: the texture repeats both ways.
            out.append(",\"samplers\":[{\"wrapS\":");
            appendCount(out, kRepeat);
            out.append(",\"wrapT\":");
            appendCount(out, kRepeat);
            out.append("}]");
        }
    }
    if (!accessors.empty()) {
        {
            JsonList list(out, "accessors");
            for (std::size_t i = 0; i < accessors.size(); ++i) {
                const Accessor& a = accessors[i];
                std::string& entry = list.next();
                entry.append("{\"bufferView\":");
                appendCount(entry, i);
                entry.append(",\"componentType\":");
                appendCount(entry, static_cast<std::size_t>(a.componentType));
                entry.append(",\"count\":");
                appendCount(entry, a.count);
                entry.append(",\"type\":\"");
                entry.append(a.type);
                entry.push_back('"');
                if (a.bounds) {
                    entry.append(",\"min\":");
                    appendArray(entry, a.bounds->min);
                    entry.append(",\"max\":");
                    appendArray(entry, a.bounds->max);
                }
                entry.push_back('}');
            }
        }
        {
            JsonList list(out, "bufferViews");
            for (const Accessor& a : accessors) {
                std::string& view = list.next();
                view.append("{\"buffer\":0,\"byteOffset\":");
                appendCount(view, a.offset);
                view.append(",\"byteLength\":");
                appendCount(view, a.bytes);
                view.append(",\"target\":");
                appendCount(view, static_cast<std::size_t>(a.target));
                view.push_back('}');
            }
        }
        out.append(",\"buffers\":[{\"byteLength\":");
        appendCount(out, layout.bufferBytes);
        // The closing brackets follow the buffer (or its data URI).
    }
    return out;
}

// --- The binary buffer -----------------------------------------------------------------------

// Collects bytes into pieces of fixed size for the sink, as they are or as base64 text.
class BinaryWriter {
public:
    static constexpr std::size_t kPiece = 256 * 1024;

    BinaryWriter(const DocumentSink& sink, bool base64)
        : sink_(sink), base64_(base64), piece_(std::make_unique_for_overwrite<char[]>(kPiece)) {}

    void u32(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) byte(static_cast<unsigned char>(value >> shift));
    }
    void f32(float value) { u32(std::bit_cast<std::uint32_t>(value)); }
    void text(std::string_view t) {
        for (char c : t) put(c);
    }
    void zeros(std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) byte(0);
    }

    // Ends the base64 text with its padding and hands on what is left.
    void finish() {
        if (base64_ && pending_ > 0) {
            const std::uint32_t group = pendingBits_ << (8 * (3 - pending_));
            put(kAlphabet[(group >> 18) & 63]);
            put(kAlphabet[(group >> 12) & 63]);
            put(pending_ == 2 ? kAlphabet[(group >> 6) & 63] : '=');
            put('=');
            pending_ = 0;
        }
        flush();
    }

    void flush() {
        if (used_ > 0) sink_(std::string_view(piece_.get(), used_));
        used_ = 0;
    }

private:
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

    void byte(unsigned char b) {
        if (!base64_) {
            put(static_cast<char>(b));
            return;
        }
        pendingBits_ = (pendingBits_ << 8) | b;
        if (++pending_ < 3) return;
        put(kAlphabet[(pendingBits_ >> 18) & 63]);
        put(kAlphabet[(pendingBits_ >> 12) & 63]);
        put(kAlphabet[(pendingBits_ >> 6) & 63]);
        put(kAlphabet[pendingBits_ & 63]);
        pending_ = 0;
        pendingBits_ = 0;
    }

    void put(char c) {
        if (used_ == kPiece) flush();
        piece_[used_++] = c;
    }

    const DocumentSink& sink_;
    bool base64_;
    std::unique_ptr<char[]> piece_;
    std::size_t used_ = 0;
    std::uint32_t pendingBits_ = 0;
    int pending_ = 0;
};

void writeBuffer(const Layout& layout, BinaryWriter& out) {
    for (const PartLayout& p : layout.parts) {
        if (!p.drawn()) continue;
        p.shape.forEachVertex([&](const MeshVertex& v) {
            for (const float f : relative(v.x, v.y, v.z, p.origin)) out.f32(f);
        });
        p.shape.forEachVertex([&](const MeshVertex& v) {
            for (const double d : {v.nx, v.ny, v.nz}) out.f32(onGridFloat(d, kNormalGrid));
        });
        p.shape.forEachVertex([&](const MeshVertex& v) {
            out.f32(onGridFloat(v.u, kDocumentGrid));
            out.f32(onGridFloat(v.v, kDocumentGrid));
        });
        p.shape.forEachTriangle([&](const MeshTriangle& t) {
            out.u32(t.a);
            out.u32(t.b);
            out.u32(t.c);
        });
    }
    for (const CurveLayout& c : layout.curves) {
        if (!c.drawn()) continue;
        c.curve->controlVertices.forEach(0, c.curve->controlVertices.size(), [&](const Vec3& v) {
            for (const float f : relative(v[0], v[1], v[2], c.origin)) out.f32(f);
        });
    }
}

std::size_t paddedTo4(std::size_t n) { return (n + 3) / 4 * 4; }

} // namespace

std::optional<GltfForm> gltfFormFor(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (extension == ".glb") return GltfForm::Binary;
    if (extension == ".gltf") return GltfForm::Embedded;
    return std::nullopt;
}

std::string imageUri(const std::string& fileName) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : fileName) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                           (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' ||
                           b == '~' || b == '/';
        if (plain) {
            uri.push_back(c);
        } else if (c == '\\') {
            uri.push_back('/'); // a Windows folder separator
        } else {
            uri.push_back('%');
            uri.push_back(kHex[b >> 4]);
            uri.push_back(kHex[b & 0xF]);
        }
    }
    return uri;
}

void writeGltf(const RoadMesh& mesh, GltfForm form, const DocumentSink& sink) {
    const Layout layout = layoutOf(mesh);
    std::string json = jsonOf(mesh, layout);
    const bool buffer = layout.bufferBytes > 0;
    if (form == GltfForm::Embedded) {
        if (buffer) json.append(",\"uri\":\"data:application/octet-stream;base64,");
        sink(json);
        if (buffer) {
            BinaryWriter out(sink, true);
            writeBuffer(layout, out);
            out.finish();
            sink("\"}]");
        }
        sink("}\n");
        return;
    }
    json.append(buffer ? "}]}" : "}");
    // Chunks are 4-byte aligned: the JSON padded with blanks, the buffer with zeros.
    const std::size_t jsonBytes = paddedTo4(json.size());
    const std::size_t binaryBytes = paddedTo4(layout.bufferBytes);
    const std::size_t total = 12 + 8 + jsonBytes + (buffer ? 8 + binaryBytes : 0);
    if (total > std::numeric_limits<std::uint32_t>::max()) {
        throw TrassolinError("Die Straße ist für eine glb-Datei zu groß (über 4 GiB).");
    }
    BinaryWriter out(sink, false);
    out.u32(kGlbMagic);
    out.u32(2);
    out.u32(static_cast<std::uint32_t>(total));
    out.u32(static_cast<std::uint32_t>(jsonBytes));
    out.u32(kJsonChunk);
    out.text(json);
    out.text(std::string(jsonBytes - json.size(), ' '));
    if (buffer) {
        out.u32(static_cast<std::uint32_t>(binaryBytes));
        out.u32(kBinaryChunk);
        writeBuffer(layout, out);
        out.zeros(binaryBytes - layout.bufferBytes);
    }
    out.finish();
}

std::string gltfBytes(const RoadMesh& mesh, GltfForm form) {
    std::string bytes;
    writeGltf(mesh, form, [&bytes](std::string_view piece) { bytes.append(piece); });
    return bytes;
}

} // namespace trassolin
