#include "mesh/chunks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

namespace trassolin {

namespace {

std::vector<CrossSection> sectionsOf(const MeshPart& part) {
    std::vector<CrossSection> sections;
    sections.reserve(part.sections().size());
    part.sections().forEach(0, part.sections().size(),
                            [&](const CrossSection& s) { sections.push_back(s); });
    return sections;
}

// The chunk of the part's sections first .. last - 1: its triangles, the own vertices up to
// the last they use, the seam, and the bounds of all of them.
MeshChunk chunkOfSections(const MeshPart& part, std::size_t partIndex,
                          const std::vector<CrossSection>& sections, std::size_t first,
                          std::size_t last, std::size_t number) {
    MeshChunk c;
    c.part = partIndex;
    c.number = number;
    c.name = part.name() + " " + std::to_string(number + 1);
    c.firstVertex = sections[first].firstVertex;
    c.firstTriangle = sections[first].firstTriangle;
    c.triangleCount = sections[last - 1].firstTriangle + sections[last - 1].triangleCount -
                      c.firstTriangle;
    const std::uint32_t end = sections[last - 1].firstVertex + sections[last - 1].vertexCount;
    std::uint32_t used = c.firstVertex; // one past the last own vertex a triangle uses
    part.triangles().forEach(c.firstTriangle, c.firstTriangle + c.triangleCount,
                             [&](const MeshTriangle& t) {
                                 for (std::uint32_t i : {t.a, t.b, t.c}) {
                                     if (i < c.firstVertex || i >= end) {
                                         c.seam.push_back(i);
                                     } else {
                                         used = std::max(used, i + 1);
                                     }
                                 }
                             });
    std::sort(c.seam.begin(), c.seam.end());
    c.seam.erase(std::unique(c.seam.begin(), c.seam.end()), c.seam.end());
    c.vertexCount = used - c.firstVertex;
    // The box of the chunk's vertices, in a loop the compiler keeps tight: a road in chunks
    // reads every vertex once here.
    Vec3 low = c.bounds.min, high = c.bounds.max;
    const auto include = [&low, &high](const MeshVertex& v) {
        low = {std::min(low[0], v.x), std::min(low[1], v.y), std::min(low[2], v.z)};
        high = {std::max(high[0], v.x), std::max(high[1], v.y), std::max(high[2], v.z)};
    };
    for (std::uint32_t i : c.seam) part.vertices().forEach(i, i + 1, include);
    part.vertices().forEach(c.firstVertex, used, include);
    c.bounds.min = low;
    c.bounds.max = high;
    return c;
}

void chunksOfPart(const MeshPart& part, std::size_t partIndex, double length,
                  std::vector<MeshChunk>& out) {
    const std::vector<CrossSection> sections = sectionsOf(part);
    if (sections.empty()) {
        // Nothing to cut at: the whole part as the first chunk.
        MeshChunk whole;
        whole.part = partIndex;
        whole.name = part.name() + " 1";
        whole.vertexCount = part.vertexCount();
        whole.triangleCount = part.triangleCount();
        whole.bounds = part.bounds();
        out.push_back(std::move(whole));
        return;
    }
    const std::size_t before = out.size();
    std::size_t first = 0;
    while (first < sections.size()) {
        const std::size_t number = chunkOf(sections[first].station, length);
        std::size_t last = first + 1;
        while (last < sections.size() && chunkOf(sections[last].station, length) == number) ++last;
        // The first row of a part closes no triangle: alone in its stretch it would be a
        // shape of nothing, and the next stretch copies what it needs of it.
        MeshChunk chunk = chunkOfSections(part, partIndex, sections, first, last, number);
        if (chunk.triangleCount > 0 || (last == sections.size() && out.size() == before)) {
            out.push_back(std::move(chunk));
        }
        first = last;
    }
}

} // namespace

std::size_t chunkOf(double station, double length) {
    if (!(station > 0.0)) return 0;
    return static_cast<std::size_t>(std::ceil(station / length)) - 1;
}

std::vector<MeshChunk> chunksOf(const RoadMesh& mesh, double length) {
    std::vector<MeshChunk> chunks;
    for (std::size_t p = 0; p < mesh.parts.size(); ++p) chunksOfPart(mesh.parts[p], p, length, chunks);
    std::stable_sort(chunks.begin(), chunks.end(),
                     [](const MeshChunk& a, const MeshChunk& b) { return a.number < b.number; });
    return chunks;
}

} // namespace trassolin
