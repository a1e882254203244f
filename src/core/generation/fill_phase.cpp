#include "generation/fill_phase.h"

#include <string>
#include <vector>

namespace trassolin {

namespace {

constexpr double kHalfPi = 1.5707963267948966;

// One face: its triangles first (the winding decides which way it faces), then the outline
// stood up from the fill plane onto the sample.
void placeFace(TFuellFlaeche& fill, const TPunkt& sample, double station, double normalZ,
               bool reversed, MeshPart& part, MessageSink& messages) {
    part.beginSection(station);
    std::vector<Triangle> triangles;
    fill.triangulate(triangles, 0, reversed, messages);
    for (const Triangle& t : triangles) {
        part.addTriangle(static_cast<std::uint32_t>(t.a), static_cast<std::uint32_t>(t.b),
                         static_cast<std::uint32_t>(t.c));
    }
    for (const TPunkt& outlinePoint : fill.outline().points()) {
        TPunkt p = outlinePoint;
        p.rotateX(-kHalfPi); // (x, 0, y0) back to (x, y0, 0)
        p.nx = 0.0;
        p.ny = 0.0;
        p.nz = normalZ;
        // The face follows bank and heading of the sample but not its climb: it stands
        // vertical like the edge sections it meets.
        p.rotateZ(sample.zrot);
        p.rotateY(sample.yrot);
        p.x += sample.x;
        p.y += sample.y;
        p.z += sample.z;
        part.addVertex(p);
    }
}

} // namespace

void buildFillFaces(TFuellFlaeche& fill, const TRandPunkte& right, const TRandPunkte& left,
                    double roadWidth, const TPunkt& firstSample, const TPunkt& lastSample,
                    double length, MeshPart& startFace, MeshPart& endFace, MessageSink& messages,
                    StatusLog& log) {
    fill.buildOutline(right, left, roadWidth);
    placeFace(fill, firstSample, 0.0, -1.0, true, startFace, messages);
    placeFace(fill, lastSample, length, 1.0, false, endFace, messages);
    log.append("Füllfläche: " + std::to_string(endFace.vertexCount()) + " Vertices, " +
               std::to_string(endFace.triangleCount()) + " triangles");
}

} // namespace trassolin
