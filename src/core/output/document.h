#pragma once

// The i3d 1.6 document of a road mesh: one IndexedTriangleSet whose subsets are the mesh's
// parts, the traffic curves as NurbsCurve shapes, and a scene with one group per control
// point. Lines end in CR LF; texts are Latin-1 bytes; numbers are in the fixed form "0.0000".
// The writer owns only the formatting: every number and every part comes from the mesh.

#include "mesh/road_mesh.h"
#include "output/document_sink.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace trassolin {

// What shapes the document besides the mesh, as the run took it.
struct DocumentOptions {
    bool transformGroups = true; // one group per control point under the main node
    // What the game needs of the curves, as the editor stores it: user attributes after the
    // scene. Both off (or no curve on), the document ends as it always has.
    bool aiRoad = false;            // the curve shapes in "<shapeName>_AI", a road of the AI
    bool trafficAttributes = false; // speedLimit and maxSpeedScale on every curve
    double speedLimit = 50.0;       // km/h
    double maxSpeedScale = 1.0;
    std::array<double, 3> maxWidth{}; // m, of the curves middle, right, left (AI road only)
};

// Declaration through the line that opens Shapes: one File and one Material per texture of
// the mesh, with the ids the document gives the kind of part that uses it (File 1 road,
// 2 right verge, 3 left verge, 4 end faces; Material 10 more). Texts are UTF-8; they are
// escaped and converted to Latin-1 when written.
std::string documentHead(const RoadMesh& mesh);

// Curves (in the mesh's order, middle, right, left), the mesh block when the mesh has a part,
// the scene with the curve shapes (in the AI road's group, node 10, when asked), the main node
// and one group per control point, and the curves' user attributes; through "</i3D>". Handed
// to `sink` in pieces of a few hundred kilobytes: the vertex, triangle and curve lines are
// formatted straight into them, so the document's text never exists as a whole in memory.
void writeDocumentTail(const RoadMesh& mesh, const DocumentOptions& options,
                       const DocumentSink& sink);
// The same tail as one text.
std::string documentTail(const RoadMesh& mesh, const DocumentOptions& options);

// Head and tail: the whole document.
void writeI3dDocument(const RoadMesh& mesh, const DocumentOptions& options,
                      const DocumentSink& sink);

// The lines of a part's vertices and triangles (indices moved by `firstVertex`, the vertices
// of the parts before it) and of a curve's control vertices, as the document carries them.
std::string vertexLines(const MeshPart& part);
std::string triangleLines(const MeshPart& part, std::uint32_t firstVertex = 0);
std::string controlVertexLines(const MeshCurve& curve);

// A text made safe for an attribute value in a Latin-1 document: & < > " as entities,
// characters up to U+00FF as their byte, anything above as a numeric reference. Input UTF-8.
std::string escapeAttributeLatin1(const std::string& utf8);

} // namespace trassolin
