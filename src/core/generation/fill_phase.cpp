#include "generation/fill_phase.h"

#include <string>
#include <vector>

namespace trassolin {

namespace {

constexpr double kHalfPi = 1.5707963267948966;

// One face: its triangles first (the counts precede nothing here, but the winding decides
// which way it faces), then the outline stood up from the fill plane onto the sample.
void placeFace(TFuellFlaeche& fill, const TPunkt& sample, double normalZ, bool reversed,
               MeshLines& mesh, MessageSink& messages) {
    std::vector<Triangle> triangles;
    fill.triangulate(triangles, mesh.vertexCount(), reversed, messages);
    for (const Triangle& t : triangles) mesh.writeTriangle(t.a, t.b, t.c);
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
        mesh.writeVertex(p);
    }
}

} // namespace

void buildFillFaces(TFuellFlaeche& fill, const TRandPunkte& right, const TRandPunkte& left,
                    double roadWidth, const TPunkteSammlung& centre, MeshLines& mesh,
                    MessageSink& messages, StatusLog& log) {
    fill.buildOutline(right, left, roadWidth);
    placeFace(fill, centre.points().front(), -1.0, true, mesh, messages);
    mesh.closeSubset();
    placeFace(fill, centre.points().back(), 1.0, false, mesh, messages);
    const int vertices = mesh.vertexCount() - mesh.subsetStartVertex();
    const int triangles = mesh.triangleCount() - mesh.subsetStartTriangle();
    mesh.closeSubset();
    log.append("Füllfläche: " + std::to_string(vertices) + " Vertices, " +
               std::to_string(triangles) + " triangles");
}

} // namespace trassolin
