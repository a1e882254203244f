#include "output/document.h"

#include "uGlobal/numbers.h"
#include "uGlobal/utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace trassolin {

namespace {

constexpr std::string_view kEol = "\r\n";

void appendInt(std::string& out, long long value) {
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec; // 24 chars hold every long long
    out.append(buf, end);
}

void appendLine(std::string& out, std::string_view text) {
    out.append(text);
    out.append(kEol);
}

void appendTriple(std::string& out, double a, double b, double c) {
    appendFixed(out, a);
    out.push_back(' ');
    appendFixed(out, b);
    out.push_back(' ');
    appendFixed(out, c);
}

template <std::size_t N> char* put(char* out, const char (&text)[N]) {
    std::memcpy(out, text, N - 1);
    return out + (N - 1);
}

char* putIndex(char* out, std::uint32_t value) {
    return std::to_chars(out, out + 12, value).ptr; // 12 chars hold every 32-bit index
}

// Upper bounds of one line, numbers at their longest, CR LF included.
constexpr std::size_t kMaxVertexLine = 48 + 8 * kFixedMaxChars;
constexpr std::size_t kMaxTriangleLine = 32 + 3 * 12;
constexpr std::size_t kMaxCurvePointLine = 16 + 3 * kFixedMaxChars;

char* writeVertexLine(char* out, const MeshVertex& p) {
    out = put(out, "          <v p=\"");
    out = writeFixed(out, p.x);
    *out++ = ' ';
    out = writeFixed(out, p.y);
    *out++ = ' ';
    out = writeFixed(out, p.z);
    out = put(out, "\" n=\"");
    out = writeFixed(out, p.nx);
    *out++ = ' ';
    out = writeFixed(out, p.ny);
    *out++ = ' ';
    out = writeFixed(out, p.nz);
    out = put(out, "\" t0=\"");
    out = writeFixed(out, p.u);
    *out++ = ' ';
    out = writeFixed(out, p.v);
    return put(out, "\" />\r\n");
}

// Indices count all vertices of the document: the part's own moved by `first`, the vertices
// of the parts before it.
char* writeTriangleLine(char* out, const MeshTriangle& t, std::uint32_t first) {
    out = put(out, "          <t vi=\"");
    out = putIndex(out, first + t.a);
    *out++ = ' ';
    out = putIndex(out, first + t.b);
    *out++ = ' ';
    out = putIndex(out, first + t.c);
    return put(out, "\" />\r\n");
}

char* writeCurvePointLine(char* out, const Vec3& p) {
    out = put(out, "<cv c=\"");
    out = writeFixed(out, p[0]);
    *out++ = ' ';
    out = writeFixed(out, p[1]);
    *out++ = ' ';
    out = writeFixed(out, p[2]);
    return put(out, "\"/>\r\n");
}

// Hands the texts of batches 0 .. batches - 1 to the sink in order, formatted on two threads:
// this one takes the even batches, a helper the odd ones. `format(b, slot)` formats batch b
// with the thread's own means (`slot` 0 or 1) and returns its text, which stays valid until
// that thread formats its next batch. Each batch goes to the sink in its turn, so the sink
// sees exactly the bytes and the order one thread would give it, one call at a time. A
// failure (of the sink or of formatting) surfaces in batch order too: the thread whose batch
// failed waits for its turn before it stops both, and the caller gets the first failure in
// document order, as from a single thread. Returns false, having written nothing, when no
// helper thread can be started.
template <typename Format>
bool batchesOnTwoThreads(std::size_t batches, Format format, const DocumentSink& sink) {
    std::mutex mutex;
    std::condition_variable turnChanged;
    std::size_t turn = 0; // the batch whose text goes to the sink next
    bool stopped = false;
    std::exception_ptr failure;

    const auto work = [&](std::size_t slot) {
        for (std::size_t b = slot; b < batches; b += 2) {
            std::string_view text;
            std::exception_ptr error;
            try {
                text = format(b, slot);
            } catch (...) {
                error = std::current_exception();
            }
            {
                std::unique_lock lock(mutex);
                turnChanged.wait(lock, [&] { return turn == b || stopped; });
                if (stopped) return;
            }
            if (!error) {
                try {
                    sink(text);
                } catch (...) {
                    error = std::current_exception();
                }
            }
            {
                const std::lock_guard lock(mutex);
                if (error) {
                    failure = error;
                    stopped = true;
                } else {
                    ++turn;
                }
            }
            turnChanged.notify_all();
            if (error) return;
        }
    };

    std::thread helper;
    try {
        helper = std::thread(work, 1);
    } catch (const std::system_error&) {
        return false;
    }
    try {
        work(0);
    } catch (...) { // only waiting itself could fail here; the helper must not wait for ever
        {
            const std::lock_guard lock(mutex);
            stopped = true;
        }
        turnChanged.notify_all();
        helper.join();
        throw;
    }
    helper.join();
    if (failure) std::rethrow_exception(failure);
    return true;
}

// The lines of items first .. last - 1 of a long list in batches of `batchItems`, on two
// threads (batchesOnTwoThreads).
template <typename T, typename Write>
bool linesOnTwoThreads(const BlockList<T>& list, std::size_t first, std::size_t last,
                       std::size_t batchItems, std::size_t maxLine, Write write,
                       const DocumentSink& sink) {
    const std::size_t bufferSize = batchItems * maxLine;
    const auto buffers = std::make_unique_for_overwrite<char[]>(2 * bufferSize);
    return batchesOnTwoThreads(
        (last - first + batchItems - 1) / batchItems,
        [&](std::size_t b, std::size_t slot) {
            char* const buffer = buffers.get() + slot * bufferSize;
            char* end = buffer;
            list.forEach(first + b * batchItems, std::min(last, first + (b + 1) * batchItems),
                         [&](const T& item) { end = write(end, item); });
            return std::string_view(buffer, static_cast<std::size_t>(end - buffer));
        },
        sink);
}

class TailWriter {
public:
    static constexpr std::size_t kChunk = 512 * 1024;
    // Lists of more than one batch are formatted on two threads.
    static constexpr std::size_t kBatchItems = 8192;

    explicit TailWriter(const DocumentSink& sink, std::size_t chunk = kChunk)
        : sink_(sink), chunk_(std::make_unique_for_overwrite<char[]>(chunk)), size_(chunk) {}

    void text(std::string_view t) {
        while (!t.empty()) {
            if (used_ == size_) flush();
            const std::size_t n = std::min(t.size(), size_ - used_);
            std::memcpy(chunk_.get() + used_, t.data(), n);
            used_ += n;
            t.remove_prefix(n);
        }
    }

    // One line per item, each written by `write(out, item)` into room for `maxLine` chars.
    template <typename T, typename Write>
    void lines(const BlockList<T>& list, std::size_t maxLine, Write write) {
        lines(list, 0, list.size(), maxLine, write);
    }
    // The same for the items first .. last - 1.
    template <typename T, typename Write>
    void lines(const BlockList<T>& list, std::size_t first, std::size_t last, std::size_t maxLine,
               Write write) {
        if (last - first > kBatchItems) {
            flush();
            if (linesOnTwoThreads(list, first, last, kBatchItems, maxLine, write, sink_)) return;
        }
        list.forEach(first, last, [&](const T& item) { line(maxLine, write, item); });
    }
    template <typename T, typename Write> void line(std::size_t maxLine, Write write, const T& item) {
        if (size_ - used_ < maxLine) flush();
        used_ = static_cast<std::size_t>(write(chunk_.get() + used_, item) - chunk_.get());
    }

    void flush() {
        if (used_ > 0) sink_(std::string_view(chunk_.get(), used_));
        used_ = 0;
    }

    // What was written since the last flush, instead of handing it to the sink; valid until
    // the next write.
    std::string_view take() {
        const std::string_view written(chunk_.get(), used_);
        used_ = 0;
        return written;
    }

private:
    const DocumentSink& sink_;
    std::unique_ptr<char[]> chunk_;
    std::size_t size_;
    std::size_t used_ = 0;
};

template <typename T, typename Write>
std::string linesText(const BlockList<T>& list, std::size_t maxLine, Write write) {
    std::string out;
    const DocumentSink sink = [&out](std::string_view bytes) { out.append(bytes); };
    TailWriter w(sink);
    w.lines(list, maxLine, write);
    w.flush();
    return out;
}

// A code point XML 1.0 allows in a document (its Char production).
bool isXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void appendEscaped(std::string& out, char32_t c) {
    switch (c) {
    case '&':
        out.append("&amp;");
        return;
    case '<':
        out.append("&lt;");
        return;
    case '>':
        out.append("&gt;");
        return;
    case '"':
        out.append("&quot;");
        return;
    default:
        break;
    }
    // A parser turns a literal tab, CR or LF in an attribute into a blank; a reference keeps it.
    // Characters XML cannot carry at all become U+FFFD rather than a broken document.
    if (!isXmlChar(c)) c = 0xFFFD;
    if (c >= 0x20 && c <= 0xFF) {
        out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
        return;
    }
    out.append("&#");
    appendInt(out, c);
    out.push_back(';');
}

void appendAttribute(std::string& out, const std::string& utf8) {
    out.append(escapeAttributeLatin1(utf8));
}

void appendFileLine(std::string& out, int fileId, const std::string& name) {
    out.append("    <File fileId=\"");
    appendInt(out, fileId);
    out.append("\" filename=\"");
    appendAttribute(out, name);
    out.append("\" relativePath=\"true\"/>");
    out.append(kEol);
}

void appendMapReference(std::string& out, std::string_view element, int fileId) {
    out.append("      <");
    out.append(element);
    out.append(" fileId=\"");
    appendInt(out, fileId);
    out.append("\"/>");
    out.append(kEol);
}

// The companion maps' files follow the textures': normal maps 4 ids on, gloss maps 8.
constexpr int kNormalMapFileOffset = 4;
constexpr int kGlossMapFileOffset = 8;

// A texture without a file name has no companions to name.
bool hasCompanionMaps(const MeshMaterial& material, const DocumentOptions& o) {
    return o.normalMaps && !material.texture.empty();
}

void appendMaterial(std::string& out, const std::string& name, int materialId, int fileId,
                    bool companionMaps) {
    out.append("    <Material name=\"");
    appendAttribute(out, name);
    out.append("\" materialId=\"");
    appendInt(out, materialId);
    out.append("\" ambientColor=\"1 1 1\">");
    out.append(kEol);
    appendMapReference(out, "Texture", fileId);
    // In the order of the older schema's sequence; the current one takes any order.
    if (companionMaps) {
        appendMapReference(out, "Glossmap", fileId + kGlossMapFileOffset);
        appendMapReference(out, "Normalmap", fileId + kNormalMapFileOffset);
    }
    appendLine(out, "    </Material>");
}

void appendCurve(TailWriter& w, const MeshCurve& curve, int shapeId) {
    std::string out = "    <NurbsCurve name=\"";
    appendAttribute(out, curve.name);
    out.append("\" shapeId=\"");
    appendInt(out, shapeId);
    out.append("\" degree=\"3\" form=\"open\">");
    out.append(kEol);
    w.text(out);
    w.lines(curve.controlVertices, kMaxCurvePointLine, writeCurvePointLine);
    w.text("    </NurbsCurve>\r\n");
}

// The shape and scene node of a curve.
int curveId(CurveKind kind) {
    switch (kind) {
    case CurveKind::Middle:
        return 11;
    case CurveKind::Right:
        return 12;
    case CurveKind::Left:
        return 13;
    }
    return 11;
}

// The AI road's group sits in the scene beside the main node; 10 is free below the curves.
constexpr int kAiGroupNodeId = 10;

void appendCurveShape(std::string& out, const MeshCurve& curve, bool inGroup) {
    const int id = curveId(curve.kind);
    out.append(inGroup ? "        <Shape name=\"" : "       <Shape name=\"");
    appendAttribute(out, curve.name);
    out.append("\" translation=\"0 0 0\" nodeId=\"");
    appendInt(out, id);
    out.append("\" shapeId=\"");
    appendInt(out, id);
    out.append("\"/>");
    out.append(kEol);
}

void appendUserAttribute(std::string& out, std::string_view name, std::string_view type,
                         std::string_view value) {
    out.append("      <Attribute name=\"");
    out.append(name);
    out.append("\" type=\"");
    out.append(type);
    out.append("\" value=\"");
    out.append(value);
    appendLine(out, "\"/>");
}

// A float as the editor writes one: shortest form, decimal point.
void appendFloatAttribute(std::string& out, std::string_view name, double value) {
    appendUserAttribute(out, name, "float", formatGeneral(value, '.'));
}

void openUserAttribute(std::string& out, int nodeId) {
    out.append("    <UserAttribute nodeId=\"");
    appendInt(out, nodeId);
    appendLine(out, "\">");
}

// The block the editor writes after the scene: the AI road's callback and limits on its
// group, then per curve its attributes, each in the editor's (alphabetical) order.
void appendUserAttributes(std::string& out, const DocumentOptions& o,
                          const std::vector<MeshCurve>& curves, bool aiGroup) {
    appendLine(out, "");
    appendLine(out, "  <UserAttributes>");
    if (aiGroup) {
        openUserAttribute(out, kAiGroupNodeId);
        if (o.maxHeight) appendFloatAttribute(out, "maxHeight", *o.maxHeight);
        if (o.maxTurningRadius) appendFloatAttribute(out, "maxTurningRadius", *o.maxTurningRadius);
        appendFloatAttribute(out, "maxWidth", o.maxWidth);
        appendUserAttribute(out, "onCreate", "scriptCallback", "AISystem.onCreateAIRoadSpline");
        appendLine(out, "    </UserAttribute>");
    }
    for (const MeshCurve& curve : curves) {
        openUserAttribute(out, curveId(curve.kind));
        if (aiGroup) appendUserAttribute(out, "isAISpline", "boolean", "true");
        if (o.trafficAttributes) appendFloatAttribute(out, "maxSpeedScale", o.maxSpeedScale);
        if (o.trafficAttributes) appendFloatAttribute(out, "speedLimit", o.speedLimit);
        appendLine(out, "    </UserAttribute>");
    }
    appendLine(out, "  </UserAttributes>");
    appendLine(out, "");
}

// "<Name count=\"n\"" + rest of the opening tag, the lines, the closing tag; 8 blanks.
template <typename WriteLines>
void appendCountedList(TailWriter& w, std::string_view name, std::uint64_t count,
                       std::string_view openingRest, WriteLines writeLines) {
    // In pieces: a road in chunks writes thousands of these.
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, count).ptr;
    w.text("        <");
    w.text(name);
    w.text(" count=\"");
    w.text(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    w.text(openingRest);
    w.text(kEol);
    writeLines();
    w.text("        </");
    w.text(name);
    w.text(">\r\n");
}

using Shapes = std::span<const MeshShape>;

// One subset per shape, in order: they tile the vertex and index ranges.
std::string subsetLines(Shapes shapes) {
    std::string out;
    long long firstVertex = 0, firstTriangle = 0;
    for (const MeshShape& shape : shapes) {
        out.append("          <Subset firstVertex=\"");
        appendInt(out, firstVertex);
        out.append("\" numVertices=\"");
        appendInt(out, shape.vertexCount());
        out.append("\" firstIndex=\"");
        appendInt(out, 3 * firstTriangle);
        out.append("\" numIndices=\"");
        appendInt(out, 3LL * shape.triangleCount());
        out.append("\"/>");
        out.append(kEol);
        firstVertex += shape.vertexCount();
        firstTriangle += shape.triangleCount();
    }
    return out;
}

void appendVertexLines(TailWriter& w, const MeshShape& shape) {
    const BlockList<MeshVertex>& vertices = shape.part().vertices();
    const auto seam = [&](std::span<const std::uint32_t> indices) {
        for (std::uint32_t i : indices) {
            vertices.forEach(i, i + 1, [&](const MeshVertex& v) {
                w.line(kMaxVertexLine, writeVertexLine, v);
            });
        }
    };
    seam(shape.seamBefore());
    w.lines(vertices, shape.firstOwnVertex(), shape.firstOwnVertex() + shape.ownVertexCount(),
            kMaxVertexLine, writeVertexLine);
    seam(shape.seamAfter());
}

// Indices count every vertex of the IndexedTriangleSet: the shape's own moved by `first`, the
// vertices of the shapes before it. A chunk's own vertices follow its seam: their indices move
// by one offset (unsigned arithmetic wraps to the same result); only the few triangles at the
// seam need each index looked up.
void appendTriangleLines(TailWriter& w, const MeshShape& shape, std::uint32_t first) {
    const std::uint32_t t0 = shape.firstTriangle(), t1 = t0 + shape.triangleCount();
    const std::uint32_t own0 = shape.firstOwnVertex(), own = shape.ownVertexCount();
    const std::uint32_t offset =
        first + static_cast<std::uint32_t>(shape.seamBefore().size()) - own0;
    if (shape.seamBefore().empty() && shape.seamAfter().empty()) {
        // A whole part, or a chunk without a seam: every index moves alike.
        w.lines(shape.part().triangles(), t0, t1, kMaxTriangleLine,
                [offset](char* line, const MeshTriangle& t) {
                    return writeTriangleLine(line, t, offset);
                });
        return;
    }
    w.lines(shape.part().triangles(), t0, t1, kMaxTriangleLine,
            [&shape, first, offset, own0, own](char* line, const MeshTriangle& t) {
                if (t.a - own0 < own && t.b - own0 < own && t.c - own0 < own) {
                    return writeTriangleLine(line, t, offset);
                }
                return writeTriangleLine(
                    line, MeshTriangle{shape.local(t.a), shape.local(t.b), shape.local(t.c)},
                    first);
            });
}

// One IndexedTriangleSet of `shapes`, one subset each.
void appendMeshBlock(TailWriter& w, const std::string& name, int shapeId, Shapes shapes) {
    BoundingBox box;
    std::uint64_t vertices = 0, triangles = 0;
    for (const MeshShape& shape : shapes) {
        box.include(shape.bounds());
        vertices += shape.vertexCount();
        triangles += shape.triangleCount();
    }
    // Centre of the box and half its diagonal. Without a vertex the box still holds its start
    // values (a sphere of 1.7e10 m); an empty mesh gets an empty sphere instead.
    double c[3] = {0.0, 0.0, 0.0};
    double r = 0.0;
    if (vertices > 0) {
        double sum = 0.0;
        for (std::size_t i = 0; i < 3; ++i) {
            c[i] = (box.min[i] + box.max[i]) / 2.0;
            const double d = box.max[i] - c[i];
            sum += d * d;
        }
        r = std::sqrt(sum);
    }
    std::string out = "     <IndexedTriangleSet name=\"";
    appendAttribute(out, name);
    out.append("\" shapeId=\"");
    appendInt(out, shapeId);
    out.append("\" bvCenter=\"");
    appendTriple(out, c[0], c[1], c[2]);
    out.append("\" bvRadius=\"");
    appendFixed(out, r);
    out.append("\" isOptimized=\"true\">");
    out.append(kEol);
    w.text(out);

    appendCountedList(w, "Vertices", vertices,
                      "\" normal=\"true\" uv0=\"true\" tangent=\"true\">", [&] {
                          for (const MeshShape& shape : shapes) appendVertexLines(w, shape);
                      });
    appendCountedList(w, "Triangles", triangles, "\">", [&] {
        std::uint32_t first = 0;
        for (const MeshShape& shape : shapes) {
            appendTriangleLines(w, shape, first);
            first += shape.vertexCount();
        }
    });
    appendCountedList(w, "Subsets", shapes.size(), "\">", [&] { w.text(subsetLines(shapes)); });
    w.text("      </IndexedTriangleSet>\r\n");
}

// Shape and scene node of the k-th separate shape (from 0): after the control points' groups,
// so that no id depends on another option.
int separateShapeId(const RoadMesh& mesh, std::size_t k) {
    return static_cast<int>(21 + mesh.controlPoints.size() + k);
}

// Room for a shape's IndexedTriangleSet block: its lines at their longest, the opening and
// closing lines with an escaped name and the counts.
std::size_t blockBound(const MeshShape& shape) {
    return 1024 + 8 * shape.name().size() + std::size_t{shape.vertexCount()} * kMaxVertexLine +
           std::size_t{shape.triangleCount()} * kMaxTriangleLine;
}

// One IndexedTriangleSet per shape. A road in chunks has many small ones: consecutive small
// shapes are formatted on two threads in batches of about as many lines as a batch of a long
// line list, as the lists of a large shape are.
void appendSeparateMeshBlocks(TailWriter& w, const RoadMesh& mesh, const DocumentSink& sink) {
    constexpr std::size_t kBatchLines = TailWriter::kBatchItems;
    const std::vector<MeshShape> shapes = mesh.shapes();
    const auto lines = [&](std::size_t k) {
        return std::size_t{shapes[k].vertexCount()} + shapes[k].triangleCount();
    };
    for (std::size_t k = 0; k < shapes.size();) {
        if (lines(k) > TailWriter::kBatchItems) {
            appendMeshBlock(w, shapes[k].name(), separateShapeId(mesh, k), Shapes(&shapes[k], 1));
            ++k;
            continue;
        }
        // Batch b holds the shapes starts[b] .. starts[b + 1] - 1; each batch fits its
        // writer's buffer whole, so that the writer never hands anything on by itself.
        std::vector<std::size_t> starts{k};
        std::size_t inBatch = 0, bound = 0, largest = 0;
        for (; k < shapes.size() && lines(k) <= TailWriter::kBatchItems; ++k) {
            if (inBatch >= kBatchLines) {
                starts.push_back(k);
                largest = std::max(largest, bound);
                inBatch = bound = 0;
            }
            inBatch += lines(k);
            bound += blockBound(shapes[k]);
        }
        starts.push_back(k);
        largest = std::max(largest, bound);
        const DocumentSink unused = [](std::string_view) {
            throw std::logic_error("a batch outgrew its buffer");
        };
        TailWriter writers[2] = {TailWriter(unused, largest), TailWriter(unused, largest)};
        const auto format = [&](std::size_t b, std::size_t slot) {
            for (std::size_t j = starts[b]; j < starts[b + 1]; ++j) {
                appendMeshBlock(writers[slot], shapes[j].name(), separateShapeId(mesh, j),
                                Shapes(&shapes[j], 1));
            }
            return writers[slot].take();
        };
        const std::size_t batches = starts.size() - 1;
        w.flush();
        if (batches < 2 || !batchesOnTwoThreads(batches, format, sink)) {
            for (std::size_t b = 0; b < batches; ++b) w.text(format(b, 0));
        }
    }
}

int fileId(PartKind kind) {
    switch (kind) {
    case PartKind::RoadSurface:
        return 1;
    case PartKind::RightVerge:
        return 2;
    case PartKind::LeftVerge:
        return 3;
    case PartKind::StartFace:
    case PartKind::EndFace:
        return 4;
    }
    return 1;
}

// The File id of each material: that of the first part drawn with it.
std::vector<int> materialFileIds(const RoadMesh& mesh) {
    std::vector<int> ids(mesh.materials.size(), 0);
    for (auto part = mesh.parts.rbegin(); part != mesh.parts.rend(); ++part) {
        if (part->material() < ids.size()) ids[part->material()] = fileId(part->kind());
    }
    return ids;
}

// One entry per subset, in subset order; the end faces share a texture and give two entries.
std::string materialList(Shapes shapes) {
    std::string list;
    for (const MeshShape& shape : shapes) {
        if (!list.empty()) list.append(", ");
        appendInt(list, 10 + fileId(shape.part().kind()));
    }
    return list;
}

void appendCollision(std::string& out, const ShapeCollision& c) {
    const auto attribute = [&out](const char* name, const std::string& value) {
        out.append(" ");
        out.append(name);
        out.append("=\"");
        out.append(value);
        out.append("\"");
    };
    if (c.filterGroup) attribute("collisionFilterGroup", formatHexMask(*c.filterGroup));
    if (c.filterMask) attribute("collisionFilterMask", formatHexMask(*c.filterMask));
    if (c.mask) attribute("collisionMask", formatInteger(*c.mask));
}

// What every mesh shape's scene line says alike, formatted once for the document.
struct ShapeNodeText {
    std::string clipDistance;
    const char* shadows;
    explicit ShapeNodeText(const DocumentOptions& o)
        : clipDistance(formatGeneral(o.clipDistance, '.')),
          shadows(o.castsShadows ? "\" castsShadows=\"true\" receiveShadows=\"true\""
                                 : "\" receiveShadows=\"true\"") {}
};

// The opening of a mesh shape's scene line, without the end of its tag.
void appendShapeNode(std::string& out, std::string_view indent, const std::string& name,
                     int id, Shapes shapes, const ShapeCollision& collision,
                     const ShapeNodeText& common) {
    out.append(indent);
    out.append("<Shape name=\"");
    appendAttribute(out, name);
    out.append("\" static=\"true\"");
    appendCollision(out, collision);
    out.append(" clipDistance=\"");
    out.append(common.clipDistance);
    out.append("\" nodeId=\"");
    appendInt(out, id);
    out.append("\" materialIds=\"");
    out.append(materialList(shapes));
    out.append("\" shapeId=\"");
    appendInt(out, id);
    out.append(common.shadows);
}

void appendControlPointGroups(std::string& out, const RoadMesh& mesh) {
    int k = 0;
    for (const ControlPointPose& p : mesh.controlPoints) {
        ++k;
        out.append("        <TransformGroup name=\"SplinePkt");
        appendInt(out, k);
        out.append("\" translation=\"");
        appendTriple(out, p.position[0], p.position[1], p.position[2]);
        out.append("\" rotation=\"");
        appendTriple(out, p.rotation[0], p.rotation[1], p.rotation[2]);
        out.append("\" nodeId=\"");
        appendInt(out, k + 20);
        out.append("\"/>");
        out.append(kEol);
    }
}

bool isVerge(const MeshPart& part) { return part.kind() != PartKind::RoadSurface; }

// The road's group with one shape per part or chunk, then the control points' groups.
void appendSeparateShapes(std::string& out, const RoadMesh& mesh, const DocumentOptions& o) {
    out.append("       <TransformGroup name=\"");
    appendAttribute(out, mesh.name);
    appendLine(out, "\" nodeId=\"1\">");
    const std::vector<MeshShape> shapes = mesh.shapes();
    const ShapeNodeText common(o);
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        appendShapeNode(out, "        ", shapes[k].name(), separateShapeId(mesh, k),
                        Shapes(&shapes[k], 1), isVerge(shapes[k].part()) ? o.verges : o.road,
                        common);
        appendLine(out, "/>");
    }
    if (o.transformGroups) appendControlPointGroups(out, mesh);
    appendLine(out, "      </TransformGroup>");
}

void appendMainNode(std::string& out, const RoadMesh& mesh, const DocumentOptions& o) {
    const bool anyPart = !mesh.parts.empty();
    if (anyPart && o.separateShapes) {
        appendSeparateShapes(out, mesh, o);
        return;
    }
    if (anyPart) {
        // A shape of several parts carries the road's collision: separateShapes keeps the
        // verges' own apart.
        appendShapeNode(out, "       ", mesh.name, 1, mesh.shapes(), o.road, ShapeNodeText(o));
    } else {
        // The blank before the end of the tag is what the editor has always been given.
        out.append("       <TransformGroup name=\"");
        appendAttribute(out, mesh.name);
        out.append("\" nodeId=\"1\" ");
    }
    if (!o.transformGroups) {
        appendLine(out, "/>");
        return;
    }
    appendLine(out, ">");
    appendControlPointGroups(out, mesh);
    appendLine(out, anyPart ? "      </Shape>" : "      </TransformGroup>");
}

} // namespace

std::string vertexLines(const MeshPart& part) {
    return linesText(part.vertices(), kMaxVertexLine, writeVertexLine);
}

std::string triangleLines(const MeshPart& part, std::uint32_t firstVertex) {
    return linesText(part.triangles(), kMaxTriangleLine,
                     [firstVertex](char* out, const MeshTriangle& t) {
                         return writeTriangleLine(out, t, firstVertex);
                     });
}

std::string controlVertexLines(const MeshCurve& curve) {
    return linesText(curve.controlVertices, kMaxCurvePointLine, writeCurvePointLine);
}

std::string documentHead(const RoadMesh& mesh, const DocumentOptions& o) {
    std::string out;
    out.reserve(1024);
    appendLine(out, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>");
    appendLine(out, "<i3D name=\"Trassolin\" version=\"1.6\" "
                    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                    "xsi:noNamespaceSchemaLocation=\"http://i3d.giants.ch/schema/i3d-1.6.xsd\">");
    appendLine(out, "  <Asset>");
    appendLine(out, "  </Asset>");
    appendLine(out, "");
    const std::vector<int> fileIds = materialFileIds(mesh);
    appendLine(out, "  <Files>");
    for (std::size_t m = 0; m < mesh.materials.size(); ++m) {
        appendFileLine(out, fileIds[m], mesh.materials[m].texture);
    }
    for (const auto& [offset, suffix] : {std::pair{kNormalMapFileOffset, "_normal"},
                                         std::pair{kGlossMapFileOffset, "_specular"}}) {
        for (std::size_t m = 0; m < mesh.materials.size(); ++m) {
            if (!hasCompanionMaps(mesh.materials[m], o)) continue;
            appendFileLine(out, fileIds[m] + offset, textureVariant(mesh.materials[m].texture, suffix));
        }
    }
    appendLine(out, "  </Files>");
    appendLine(out, "");
    appendLine(out, "  <Materials>");
    for (std::size_t m = 0; m < mesh.materials.size(); ++m) {
        appendMaterial(out, mesh.materials[m].name, 10 + fileIds[m], fileIds[m],
                       hasCompanionMaps(mesh.materials[m], o));
    }
    appendLine(out, "  </Materials>");
    appendLine(out, "");
    appendLine(out, "  <Shapes>");
    return out;
}

void writeDocumentTail(const RoadMesh& mesh, const DocumentOptions& o, const DocumentSink& sink) {
    TailWriter w(sink);
    for (const MeshCurve& curve : mesh.curves) appendCurve(w, curve, curveId(curve.kind));
    if (!mesh.parts.empty() && o.separateShapes) {
        appendSeparateMeshBlocks(w, mesh, sink);
    } else if (!mesh.parts.empty()) {
        appendMeshBlock(w, "Road", 1, mesh.shapes());
    }
    const bool anyCurve = !mesh.curves.empty();
    const bool aiGroup = o.aiRoad && anyCurve;
    std::string out;
    appendLine(out, "  </Shapes>");
    appendLine(out, "");
    appendLine(out, "  <Dynamics>");
    appendLine(out, "  </Dynamics>");
    appendLine(out, "");
    appendLine(out, "    <Scene>");
    if (aiGroup) {
        out.append("       <TransformGroup name=\"");
        appendAttribute(out, mesh.name + "_AI");
        out.append("\" nodeId=\"");
        appendInt(out, kAiGroupNodeId);
        appendLine(out, "\">");
    }
    for (const MeshCurve& curve : mesh.curves) appendCurveShape(out, curve, aiGroup);
    if (aiGroup) appendLine(out, "       </TransformGroup>");
    appendMainNode(out, mesh, o);
    appendLine(out, "    </Scene>");
    if (aiGroup || (o.trafficAttributes && anyCurve)) {
        appendUserAttributes(out, o, mesh.curves, aiGroup);
    }
    appendLine(out, "</i3D>");
    w.text(out);
    w.flush();
}

std::string documentTail(const RoadMesh& mesh, const DocumentOptions& o) {
    std::string out;
    writeDocumentTail(mesh, o, [&out](std::string_view bytes) { out.append(bytes); });
    return out;
}

void writeI3dDocument(const RoadMesh& mesh, const DocumentOptions& o, const DocumentSink& sink) {
    sink(documentHead(mesh, o));
    writeDocumentTail(mesh, o, sink);
}

std::string textureVariant(const std::string& texture, std::string_view suffix) {
    std::string name = texture;
    const std::size_t folder = name.find_last_of("/\\");
    const std::size_t stem = folder == std::string::npos ? 0 : folder + 1;
    constexpr std::string_view kDiffuse = "_diffuse";
    const std::size_t diffuse = name.rfind(kDiffuse);
    if (diffuse != std::string::npos && diffuse >= stem) {
        return name.replace(diffuse, kDiffuse.size(), suffix);
    }
    const std::size_t dot = name.rfind('.');
    const std::size_t at = dot == std::string::npos || dot <= stem ? name.size() : dot;
    return name.insert(at, suffix);
}

std::string escapeAttributeLatin1(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + 8);
    forEachCharacter(utf8, [&out](char32_t c) { appendEscaped(out, c); });
    return out;
}

} // namespace trassolin
