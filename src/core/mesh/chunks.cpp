#include "mesh/chunks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace trassolin {

namespace {

template <typename T> std::vector<T> itemsOf(const BlockList<T>& list, std::size_t first,
                                             std::size_t last) {
    std::vector<T> items;
    items.reserve(last - first);
    list.forEach(first, last, [&](const T& item) { items.push_back(item); });
    return items;
}

struct Piece {
    std::size_t chunk;
    MeshPart part;
};

// The cross-sections first .. last - 1 of `part` as a part of their own: first the vertices
// their triangles take from other sections (each in a section at the station it came from),
// then their own sections with the vertices their triangles use. (A texture reset writes the
// last row of a stretch twice; the copy with the new coordinates serves the next stretch,
// which copies it in turn.)
MeshPart pieceOf(const MeshPart& part, const std::vector<CrossSection>& sections, std::size_t first,
                 std::size_t last, std::size_t chunk) {
    const std::uint32_t v0 = sections[first].firstVertex;
    const std::uint32_t v1 = sections[last - 1].firstVertex + sections[last - 1].vertexCount;
    const std::uint32_t t0 = sections[first].firstTriangle;
    const std::uint32_t t1 = sections[last - 1].firstTriangle + sections[last - 1].triangleCount;
    const std::vector<MeshTriangle> triangles = itemsOf(part.triangles(), t0, t1);
    const std::vector<MeshVertex> own = itemsOf(part.vertices(), v0, v1);

    constexpr std::uint32_t kUnused = UINT32_MAX;
    std::vector<std::uint32_t> ownLocal(v1 - v0, kUnused);
    std::vector<std::uint32_t> borrowed; // vertices of other sections, by index
    for (const MeshTriangle& t : triangles) {
        for (std::uint32_t i : {t.a, t.b, t.c}) {
            if (i < v0 || i >= v1) {
                borrowed.push_back(i);
            } else {
                ownLocal[i - v0] = 0;
            }
        }
    }
    std::sort(borrowed.begin(), borrowed.end());
    borrowed.erase(std::unique(borrowed.begin(), borrowed.end()), borrowed.end());
    const auto before = static_cast<std::uint32_t>(
        std::lower_bound(borrowed.begin(), borrowed.end(), v0) - borrowed.begin());
    std::uint32_t next = before;
    for (std::uint32_t& local : ownLocal) {
        if (local != kUnused) local = next++;
    }
    const auto local = [&](std::uint32_t i) -> std::uint32_t {
        if (i >= v0 && i < v1) return ownLocal[i - v0];
        const auto at = static_cast<std::uint32_t>(
            std::lower_bound(borrowed.begin(), borrowed.end(), i) - borrowed.begin());
        return at < before ? at : next + (at - before);
    };

    MeshPart piece(part.kind(), part.name() + " " + std::to_string(chunk + 1), part.material(),
                   part.rowLength());
    // A borrowed vertex keeps the station of the section it belongs to.
    const auto addBorrowed = [&](std::size_t from, std::size_t to) {
        const CrossSection* open = nullptr;
        for (std::size_t b = from; b < to; ++b) {
            const std::uint32_t index = borrowed[b];
            const auto home = std::upper_bound(sections.begin(), sections.end(), index,
                                               [](std::uint32_t i, const CrossSection& s) {
                                                   return i < s.firstVertex;
                                               }) -
                              1;
            if (open != &*home) {
                piece.beginSection(home->station);
                open = &*home;
            }
            part.vertices().forEach(index, index + 1, [&](const MeshVertex& v) { piece.addVertex(v); });
        }
    };

    addBorrowed(0, before);
    for (std::size_t s = first; s < last; ++s) {
        const CrossSection& section = sections[s];
        piece.beginSection(section.station);
        for (std::uint32_t v = section.firstVertex; v < section.firstVertex + section.vertexCount; ++v) {
            if (ownLocal[v - v0] != kUnused) piece.addVertex(own[v - v0]);
        }
        for (std::uint32_t t = section.firstTriangle;
             t < section.firstTriangle + section.triangleCount; ++t) {
            const MeshTriangle& tri = triangles[t - t0];
            piece.addTriangle(local(tri.a), local(tri.b), local(tri.c));
        }
    }
    addBorrowed(before, borrowed.size());
    return piece;
}

void splitPart(const MeshPart& part, double length, std::vector<Piece>& pieces) {
    const std::vector<CrossSection> sections = itemsOf(part.sections(), 0, part.sections().size());
    if (sections.empty()) {
        // Nothing to split at: the whole part, vertex for vertex, as the first chunk.
        MeshPart whole(part.kind(), part.name() + " 1", part.material(), part.rowLength());
        part.vertices().forEach(0, part.vertexCount(), [&](const MeshVertex& v) { whole.addVertex(v); });
        part.triangles().forEach(0, part.triangleCount(),
                                 [&](const MeshTriangle& t) { whole.addTriangle(t.a, t.b, t.c); });
        pieces.push_back({0, std::move(whole)});
        return;
    }
    const std::size_t before = pieces.size();
    std::size_t first = 0;
    while (first < sections.size()) {
        const std::size_t chunk = chunkOf(sections[first].station, length);
        std::size_t last = first + 1;
        while (last < sections.size() && chunkOf(sections[last].station, length) == chunk) ++last;
        // The first row of a part closes no triangle: alone in its chunk it would be a shape
        // of nothing, and the next chunk copies what it needs of it.
        MeshPart piece = pieceOf(part, sections, first, last, chunk);
        if (piece.triangleCount() > 0 || (last == sections.size() && pieces.size() == before)) {
            pieces.push_back({chunk, std::move(piece)});
        }
        first = last;
    }
}

} // namespace

std::size_t chunkOf(double station, double length) {
    if (!(station > 0.0)) return 0;
    return static_cast<std::size_t>(std::ceil(station / length)) - 1;
}

std::size_t splitIntoChunks(RoadMesh& mesh, double length) {
    std::vector<MeshPart> whole = std::move(mesh.parts);
    mesh.parts.clear();
    std::vector<Piece> pieces;
    for (MeshPart& part : whole) {
        splitPart(part, length, pieces);
        // The part's memory goes before the next part is split.
        part = MeshPart(part.kind(), {}, part.material());
    }
    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.chunk < b.chunk; });
    mesh.parts.reserve(pieces.size());
    std::size_t chunks = 0;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        if (k == 0 || pieces[k].chunk != pieces[k - 1].chunk) ++chunks;
        mesh.parts.push_back(std::move(pieces[k].part));
    }
    return chunks;
}

} // namespace trassolin
