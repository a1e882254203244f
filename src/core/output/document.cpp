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
#include <system_error>
#include <thread>
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

// Hands the lines of a long list to the sink in batches formatted on two threads: this one
// takes the even batches, a helper the odd ones, and each batch goes to the sink in its turn,
// so the sink sees exactly the bytes and the order one thread would give it, one call at a
// time. A failure (of the sink or of formatting) surfaces in batch order too: the thread
// whose batch failed waits for its turn before it stops both, and the caller gets the first
// failure in document order, as from a single thread. Returns false, having written nothing,
// when no helper thread can be started.
template <typename T, typename Write>
bool linesOnTwoThreads(const BlockList<T>& list, std::size_t batchItems, std::size_t maxLine,
                       Write write, const DocumentSink& sink) {
    const std::size_t batches = (list.size() + batchItems - 1) / batchItems;
    std::mutex mutex;
    std::condition_variable turnChanged;
    std::size_t turn = 0; // the batch whose text goes to the sink next
    bool stopped = false;
    std::exception_ptr failure;

    const auto work = [&](std::size_t firstBatch, char* buffer) {
        for (std::size_t b = firstBatch; b < batches; b += 2) {
            char* end = buffer;
            std::exception_ptr error;
            try {
                list.forEach(b * batchItems, std::min(list.size(), (b + 1) * batchItems),
                             [&](const T& item) { end = write(end, item); });
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
                    sink(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
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

    const std::size_t bufferSize = batchItems * maxLine;
    const auto buffers = std::make_unique_for_overwrite<char[]>(2 * bufferSize);
    std::thread helper;
    try {
        helper = std::thread(work, 1, buffers.get() + bufferSize);
    } catch (const std::system_error&) {
        return false;
    }
    try {
        work(0, buffers.get());
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

// Collects the document's text in chunks of fixed size and hands each full chunk to the
// sink, so that neither the tail nor any of its line lists is ever held whole.
class TailWriter {
public:
    static constexpr std::size_t kChunk = 512 * 1024;
    // Lists of more than one batch are formatted on two threads.
    static constexpr std::size_t kBatchItems = 8192;

    explicit TailWriter(const DocumentSink& sink)
        : sink_(sink), chunk_(std::make_unique_for_overwrite<char[]>(kChunk)) {}

    void text(std::string_view t) {
        while (!t.empty()) {
            if (used_ == kChunk) flush();
            const std::size_t n = std::min(t.size(), kChunk - used_);
            std::memcpy(chunk_.get() + used_, t.data(), n);
            used_ += n;
            t.remove_prefix(n);
        }
    }

    // One line per item, each written by `write(out, item)` into room for `maxLine` chars.
    template <typename T, typename Write>
    void lines(const BlockList<T>& list, std::size_t maxLine, Write write) {
        if (list.size() > kBatchItems) {
            flush();
            if (linesOnTwoThreads(list, kBatchItems, maxLine, write, sink_)) return;
        }
        list.forEach(0, list.size(), [&](const T& item) {
            if (kChunk - used_ < maxLine) flush();
            used_ = static_cast<std::size_t>(write(chunk_.get() + used_, item) - chunk_.get());
        });
    }

    void flush() {
        if (used_ > 0) sink_(std::string_view(chunk_.get(), used_));
        used_ = 0;
    }

private:
    const DocumentSink& sink_;
    std::unique_ptr<char[]> chunk_;
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

void appendMaterial(std::string& out, const std::string& name, int materialId, int fileId) {
    out.append("    <Material name=\"");
    appendAttribute(out, name);
    out.append("\" materialId=\"");
    appendInt(out, materialId);
    out.append("\" ambientColor=\"1 1 1\">");
    out.append(kEol);
    out.append("      <Texture fileId=\"");
    appendInt(out, fileId);
    out.append("\"/>");
    out.append(kEol);
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

// The shape and scene node of a curve, and its place in DocumentOptions::maxWidth.
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

std::size_t curveIndex(CurveKind kind) { return static_cast<std::size_t>(curveId(kind) - 11); }

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

// The block the editor writes after the scene: the AI road's callback on its group, then per
// curve its attributes in the editor's (alphabetical) order.
void appendUserAttributes(std::string& out, const DocumentOptions& o,
                          const std::vector<MeshCurve>& curves, bool aiGroup) {
    appendLine(out, "");
    appendLine(out, "  <UserAttributes>");
    if (aiGroup) {
        openUserAttribute(out, kAiGroupNodeId);
        appendUserAttribute(out, "onCreate", "scriptCallback", "AISystem.onCreateAIRoadSpline");
        appendLine(out, "    </UserAttribute>");
    }
    for (const MeshCurve& curve : curves) {
        openUserAttribute(out, curveId(curve.kind));
        if (o.trafficAttributes) appendFloatAttribute(out, "maxSpeedScale", o.maxSpeedScale);
        if (aiGroup) appendFloatAttribute(out, "maxWidth", o.maxWidth[curveIndex(curve.kind)]);
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
    std::string out = "        <";
    out.append(name);
    out.append(" count=\"");
    appendInt(out, static_cast<long long>(count));
    out.append(openingRest);
    out.append(kEol);
    w.text(out);
    writeLines();
    out = "        </";
    out.append(name);
    out.append(">");
    out.append(kEol);
    w.text(out);
}

// One subset per part, in the order built: they tile the vertex and index ranges.
std::string subsetLines(const RoadMesh& mesh) {
    std::string out;
    long long firstVertex = 0, firstTriangle = 0;
    for (const MeshPart& part : mesh.parts) {
        out.append("          <Subset firstVertex=\"");
        appendInt(out, firstVertex);
        out.append("\" numVertices=\"");
        appendInt(out, part.vertexCount());
        out.append("\" firstIndex=\"");
        appendInt(out, 3 * firstTriangle);
        out.append("\" numIndices=\"");
        appendInt(out, 3LL * part.triangleCount());
        out.append("\"/>");
        out.append(kEol);
        firstVertex += part.vertexCount();
        firstTriangle += part.triangleCount();
    }
    return out;
}

void appendMeshBlock(TailWriter& w, const RoadMesh& mesh) {
    // Centre of the box and half its diagonal. Without a vertex the box still holds its start
    // values (a sphere of 1.7e10 m); an empty mesh gets an empty sphere instead.
    double c[3] = {0.0, 0.0, 0.0};
    double r = 0.0;
    if (mesh.vertexCount() > 0) {
        const BoundingBox box = mesh.bounds();
        double sum = 0.0;
        for (std::size_t i = 0; i < 3; ++i) {
            c[i] = (box.min[i] + box.max[i]) / 2.0;
            const double d = box.max[i] - c[i];
            sum += d * d;
        }
        r = std::sqrt(sum);
    }
    std::string out = "     <IndexedTriangleSet name=\"Road\" shapeId=\"1\" bvCenter=\"";
    appendTriple(out, c[0], c[1], c[2]);
    out.append("\" bvRadius=\"");
    appendFixed(out, r);
    out.append("\" isOptimized=\"true\">");
    out.append(kEol);
    w.text(out);

    appendCountedList(w, "Vertices", mesh.vertexCount(),
                      "\" normal=\"true\" uv0=\"true\" tangent=\"true\">", [&] {
                          for (const MeshPart& part : mesh.parts) {
                              w.lines(part.vertices(), kMaxVertexLine, writeVertexLine);
                          }
                      });
    appendCountedList(w, "Triangles", mesh.triangleCount(), "\">", [&] {
        std::uint32_t first = 0;
        for (const MeshPart& part : mesh.parts) {
            w.lines(part.triangles(), kMaxTriangleLine,
                    [first](char* line, const MeshTriangle& t) {
                        return writeTriangleLine(line, t, first);
                    });
            first += part.vertexCount();
        }
    });
    appendCountedList(w, "Subsets", mesh.parts.size(), "\">", [&] { w.text(subsetLines(mesh)); });
    w.text("      </IndexedTriangleSet>\r\n");
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
std::string materialList(const RoadMesh& mesh) {
    std::string list;
    for (const MeshPart& part : mesh.parts) {
        if (!list.empty()) list.append(", ");
        appendInt(list, 10 + fileId(part.kind()));
    }
    return list;
}

void appendMainNode(std::string& out, const RoadMesh& mesh, const DocumentOptions& o) {
    const bool anyPart = !mesh.parts.empty();
    if (anyPart) {
        out.append("       <Shape name=\"");
        appendAttribute(out, mesh.name);
        out.append("\" static=\"true\" clipDistance=\"500\" nodeId=\"1\" materialIds=\"");
        out.append(materialList(mesh));
        out.append("\" shapeId=\"1\" receiveShadows=\"true\"");
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

std::string documentHead(const RoadMesh& mesh) {
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
    appendLine(out, "  </Files>");
    appendLine(out, "");
    appendLine(out, "  <Materials>");
    for (std::size_t m = 0; m < mesh.materials.size(); ++m) {
        appendMaterial(out, mesh.materials[m].name, 10 + fileIds[m], fileIds[m]);
    }
    appendLine(out, "  </Materials>");
    appendLine(out, "");
    appendLine(out, "  <Shapes>");
    return out;
}

void writeDocumentTail(const RoadMesh& mesh, const DocumentOptions& o, const DocumentSink& sink) {
    TailWriter w(sink);
    for (const MeshCurve& curve : mesh.curves) appendCurve(w, curve, curveId(curve.kind));
    if (!mesh.parts.empty()) appendMeshBlock(w, mesh);
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
    sink(documentHead(mesh));
    writeDocumentTail(mesh, o, sink);
}

std::string escapeAttributeLatin1(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + 8);
    forEachCharacter(utf8, [&out](char32_t c) { appendEscaped(out, c); });
    return out;
}

} // namespace trassolin
