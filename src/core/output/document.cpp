#include "output/document.h"

#include "uGlobal/checked_math.h"
#include "uGlobal/numbers.h"
#include "uSplinePkts/spline_punkte.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <string_view>
#include <utility>

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

char* putInt(char* out, int value) {
    return std::to_chars(out, out + 12, value).ptr; // 12 chars hold every int
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

char* writeTriangleLine(char* out, const MeshTriangle& t) {
    out = put(out, "          <t vi=\"");
    out = putInt(out, t.a);
    *out++ = ' ';
    out = putInt(out, t.b);
    *out++ = ' ';
    out = putInt(out, t.c);
    return put(out, "\" />\r\n");
}

char* writeCurvePointLine(char* out, const std::array<double, 3>& p) {
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

// Decodes one UTF-8 sequence at `i`. Returns its length, or 0 when the bytes there are not a
// valid, shortest-form sequence of a scalar value.
std::size_t decodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    std::size_t len;
    std::uint32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, min = 0x80, cp = b0 & 0x1Fu;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, min = 0x800, cp = b0 & 0x0Fu;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, min = 0x10000, cp = b0 & 0x07u;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void appendEscaped(std::string& out, std::uint32_t c) {
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

void appendMaterial(std::string& out, std::string_view name, int materialId, int fileId) {
    out.append("    <Material name=\"");
    out.append(name);
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

void appendCurve(TailWriter& w, std::string_view name, int shapeId, const CurveLines& curve) {
    std::string out = "    <NurbsCurve name=\"";
    out.append(name);
    out.append("\" shapeId=\"");
    appendInt(out, shapeId);
    out.append("\" degree=\"3\" form=\"open\">");
    out.append(kEol);
    w.text(out);
    w.lines(curve.points(), kMaxCurvePointLine, writeCurvePointLine);
    w.text("    </NurbsCurve>\r\n");
}

// The curves of a document with their names and the ids of their shapes and scene nodes.
struct CurveEntry {
    const CurveLines* lines; // null: the curve is off
    std::string_view name;
    int id;
    std::size_t index; // into DocumentOptions::maxWidth
};

std::array<CurveEntry, 3> curveEntries(const CurveLines* middle, const CurveLines* right,
                                       const CurveLines* left) {
    return {{{middle, "splineMitte", 11, 0}, {right, "splineRechts", 12, 1},
             {left, "splineLinks", 13, 2}}};
}

// The AI road's group sits in the scene beside the main node; 10 is free below the curves.
constexpr int kAiGroupNodeId = 10;

void appendCurveShape(std::string& out, std::string_view name, int id, bool inGroup) {
    out.append(inGroup ? "        <Shape name=\"" : "       <Shape name=\"");
    out.append(name);
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
                          const std::array<CurveEntry, 3>& curves, bool aiGroup) {
    appendLine(out, "");
    appendLine(out, "  <UserAttributes>");
    if (aiGroup) {
        openUserAttribute(out, kAiGroupNodeId);
        appendUserAttribute(out, "onCreate", "scriptCallback", "AISystem.onCreateAIRoadSpline");
        appendLine(out, "    </UserAttribute>");
    }
    for (const CurveEntry& curve : curves) {
        if (!curve.lines) continue;
        openUserAttribute(out, curve.id);
        if (o.trafficAttributes) appendFloatAttribute(out, "maxSpeedScale", o.maxSpeedScale);
        if (aiGroup) appendFloatAttribute(out, "maxWidth", o.maxWidth[curve.index]);
        if (o.trafficAttributes) appendFloatAttribute(out, "speedLimit", o.speedLimit);
        appendLine(out, "    </UserAttribute>");
    }
    appendLine(out, "  </UserAttributes>");
    appendLine(out, "");
}

// "<Name count=\"n\"" + rest of the opening tag, the lines, the closing tag; 8 blanks.
template <typename WriteLines>
void appendCountedList(TailWriter& w, std::string_view name, int count,
                       std::string_view openingRest, WriteLines writeLines) {
    std::string out = "        <";
    out.append(name);
    out.append(" count=\"");
    appendInt(out, count);
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

void appendMeshBlock(TailWriter& w, const MeshLines& mesh) {
    // Centre of the box and half its diagonal. Without a vertex the box still holds its start
    // values (a sphere of 1.7e10 m); an empty mesh gets an empty sphere instead.
    double c[3] = {0.0, 0.0, 0.0};
    double r = 0.0;
    if (mesh.vertexCount() > 0) {
        const BoundingBox& box = mesh.boundingBox();
        double sum = 0.0;
        for (int i = 0; i < 3; ++i) {
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
                      "\" normal=\"true\" uv0=\"true\" tangent=\"true\">",
                      [&] { w.lines(mesh.vertices(), kMaxVertexLine, writeVertexLine); });
    appendCountedList(w, "Triangles", mesh.triangleCount(), "\">",
                      [&] { w.lines(mesh.triangles(), kMaxTriangleLine, writeTriangleLine); });
    appendCountedList(w, "Subsets", mesh.subsetCount(), "\">",
                      [&] { w.text(mesh.subsetLines()); });
    w.text("      </IndexedTriangleSet>\r\n");
}

// One entry per subset, in subset order; the fill has two faces and so two entries.
std::string materialList(const DocumentOptions& o) {
    std::string list;
    const auto add = [&](std::string_view id) {
        if (!list.empty()) list.append(", ");
        list.append(id);
    };
    if (o.road) add("11");
    if (o.rightEdge) add("12");
    if (o.leftEdge) add("13");
    if (o.fill) add("14, 14");
    return list;
}

void appendMainNode(std::string& out, const DocumentOptions& o, const TSplinePunkte& splines) {
    const bool mesh = o.anyMeshPart();
    if (mesh) {
        out.append("       <Shape name=\"");
        appendAttribute(out, o.shapeName);
        out.append("\" static=\"true\" clipDistance=\"500\" nodeId=\"1\" materialIds=\"");
        out.append(materialList(o));
        out.append("\" shapeId=\"1\" receiveShadows=\"true\"");
    } else {
        // The blank before the end of the tag is what the editor has always been given.
        out.append("       <TransformGroup name=\"");
        appendAttribute(out, o.shapeName);
        out.append("\" nodeId=\"1\" ");
    }
    if (!o.transformGroups) {
        appendLine(out, "/>");
        return;
    }
    appendLine(out, ">");
    int k = 0;
    for (const TSplinePkt& p : splines.points()) {
        ++k;
        out.append("        <TransformGroup name=\"SplinePkt");
        appendInt(out, k);
        out.append("\" translation=\"");
        appendTriple(out, p.X, p.Y, p.Z);
        out.append("\" rotation=\"");
        appendTriple(out, p.Xrot, p.Yrot, p.Zrot);
        out.append("\" nodeId=\"");
        appendInt(out, k + 20);
        out.append("\"/>");
        out.append(kEol);
    }
    appendLine(out, mesh ? "      </Shape>" : "      </TransformGroup>");
}

} // namespace

void MeshLines::writeVertex(const TPunkt& p) {
    const MeshVertex vertex{p.x, p.y, p.z, p.nx, p.ny, p.nz, p.u, p.v};
    // In line order, so the first number that could not be written names the failure.
    for (double value : {p.x, p.y, p.z, p.nx, p.ny, p.nz, p.u, p.v}) requireFinite(value);
    vertices_.push_back(vertex);
    const double pos[3] = {p.x, p.y, p.z};
    for (int i = 0; i < 3; ++i) {
        if (box_.min[i] > pos[i]) box_.min[i] = pos[i];
        if (box_.max[i] < pos[i]) box_.max[i] = pos[i];
    }
    ++vertexCount_;
}

void MeshLines::writeTriangle(int a, int b, int c) {
    triangles_.push_back({a, b, c});
    ++triangleCount_;
}

void MeshLines::append(MeshLines&& part) {
    const int offset = vertexCount_;
    part.triangles_.forEachMutable([offset](MeshTriangle& t) {
        t.a += offset, t.b += offset, t.c += offset;
    });
    vertices_.splice(std::move(part.vertices_));
    triangles_.splice(std::move(part.triangles_));
    vertexCount_ += part.vertexCount_;
    triangleCount_ += part.triangleCount_;
    for (int i = 0; i < 3; ++i) {
        box_.min[i] = std::min(box_.min[i], part.box_.min[i]);
        box_.max[i] = std::max(box_.max[i], part.box_.max[i]);
    }
    part = MeshLines{};
}

std::string MeshLines::vertexLines() const {
    return linesText(vertices_, kMaxVertexLine, writeVertexLine);
}

std::string MeshLines::triangleLines() const {
    return linesText(triangles_, kMaxTriangleLine, writeTriangleLine);
}

void MeshLines::closeSubset() {
    subsets_.append("          <Subset firstVertex=\"");
    appendInt(subsets_, subsetStartVertex_);
    subsets_.append("\" numVertices=\"");
    appendInt(subsets_, vertexCount_ - subsetStartVertex_);
    subsets_.append("\" firstIndex=\"");
    appendInt(subsets_, 3LL * subsetStartTriangle_);
    subsets_.append("\" numIndices=\"");
    appendInt(subsets_, 3LL * (triangleCount_ - subsetStartTriangle_));
    subsets_.append("\"/>");
    subsets_.append(kEol);
    ++subsetCount_;
    subsetStartVertex_ = vertexCount_;
    subsetStartTriangle_ = triangleCount_;
}

void CurveLines::add(const TPunkt& p) {
    for (double value : {p.x, p.y, p.z}) requireFinite(value);
    points_.push_back({p.x, p.y, p.z});
}

std::string CurveLines::lines() const {
    return linesText(points_, kMaxCurvePointLine, writeCurvePointLine);
}

void CurveLines::reverse() {
    // A curve holds a few thousand points at most; the list keeps no random access.
    std::vector<std::array<double, 3>> ordered;
    ordered.reserve(points_.size());
    points_.forEach(0, points_.size(), [&](const std::array<double, 3>& p) { ordered.push_back(p); });
    BlockList<std::array<double, 3>> reversed;
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) reversed.push_back(*it);
    points_ = std::move(reversed);
}

std::vector<DocumentOptions::TextureFile> DocumentOptions::textureFiles() const {
    std::vector<TextureFile> files;
    if (road) files.push_back({1, &roadTexture});
    if (rightEdge) files.push_back({2, &rightEdgeTexture});
    if (leftEdge) files.push_back({3, &leftEdgeTexture});
    if (fill) files.push_back({4, &fillTexture});
    return files;
}

std::string documentHead(const DocumentOptions& o) {
    std::string out;
    out.reserve(1024);
    appendLine(out, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>");
    appendLine(out, "<i3D name=\"Trassolin\" version=\"1.6\" "
                    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                    "xsi:noNamespaceSchemaLocation=\"http://i3d.giants.ch/schema/i3d-1.6.xsd\">");
    appendLine(out, "  <Asset>");
    appendLine(out, "  </Asset>");
    appendLine(out, "");
    appendLine(out, "  <Files>");
    for (const auto& [fileId, name] : o.textureFiles())
        appendFileLine(out, fileId, *name);
    appendLine(out, "  </Files>");
    appendLine(out, "");
    appendLine(out, "  <Materials>");
    if (o.road) appendMaterial(out, "road_diffuse", 11, 1);
    if (o.rightEdge) appendMaterial(out, "rightEdge_diffuse", 12, 2);
    if (o.leftEdge) appendMaterial(out, "leftEdge_diffuse", 13, 3);
    if (o.fill) appendMaterial(out, "Front_mat", 14, 4);
    appendLine(out, "  </Materials>");
    appendLine(out, "");
    appendLine(out, "  <Shapes>");
    return out;
}

void writeDocumentTail(const DocumentOptions& o, const MeshLines& mesh, const CurveLines* middle,
                       const CurveLines* right, const CurveLines* left,
                       const TSplinePunkte& splines, const DocumentSink& sink) {
    TailWriter w(sink);
    const auto curves = curveEntries(middle, right, left);
    for (const CurveEntry& curve : curves) {
        if (curve.lines) appendCurve(w, curve.name, curve.id, *curve.lines);
    }
    if (o.anyMeshPart()) appendMeshBlock(w, mesh);
    const bool anyCurve = middle || right || left;
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
        appendAttribute(out, o.shapeName + "_AI");
        out.append("\" nodeId=\"");
        appendInt(out, kAiGroupNodeId);
        appendLine(out, "\">");
    }
    for (const CurveEntry& curve : curves) {
        if (curve.lines) appendCurveShape(out, curve.name, curve.id, aiGroup);
    }
    if (aiGroup) appendLine(out, "       </TransformGroup>");
    appendMainNode(out, o, splines);
    appendLine(out, "    </Scene>");
    if (aiGroup || (o.trafficAttributes && anyCurve)) appendUserAttributes(out, o, curves, aiGroup);
    appendLine(out, "</i3D>");
    w.text(out);
    w.flush();
}

std::string documentTail(const DocumentOptions& o, const MeshLines& mesh, const CurveLines* middle,
                         const CurveLines* right, const CurveLines* left,
                         const TSplinePunkte& splines) {
    std::string out;
    writeDocumentTail(o, mesh, middle, right, left, splines,
                      [&out](std::string_view bytes) { out.append(bytes); });
    return out;
}

std::string escapeAttributeLatin1(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + 8);
    const std::string_view s = utf8;
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t c = 0;
        std::size_t len = decodeUtf8(s, i, c);
        if (len == 0) {
            // Not UTF-8: the byte is taken as the Latin-1 character it would be on its own.
            c = static_cast<unsigned char>(s[i]);
            len = 1;
        }
        appendEscaped(out, c);
        i += len;
    }
    return out;
}

} // namespace trassolin
