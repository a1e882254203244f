#pragma once

// The i3d 1.6 document a run writes: the four line formats the mesh builders use, and the
// head and tail around them. Lines end in CR LF; texts are Latin-1 bytes; numbers are in
// the fixed form "0.0000".

#include "mesh/block_list.h"
#include "uGlobal/punkt.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace trassolin {

class TSplinePunkte;

struct BoundingBox {
    std::array<double, 3> min{1e10, 1e10, 1e10};
    std::array<double, 3> max{-1e10, -1e10, -1e10};
};

// One vertex as the document writes it.
struct MeshVertex {
    double x, y, z;    // position, m
    double nx, ny, nz; // normal
    double u, v;       // texture coordinates
};

// Vertex indices of one triangle, counted over all vertices of the document.
struct MeshTriangle {
    int a, b, c;
};

// The run's vertex, triangle and subset line lists with their counters. Vertices and
// triangles are kept as numbers and become text only when the document is written, straight
// into the output: each line is still formatted exactly once.
class MeshLines {
public:
    // Takes the vertex line of the point (position, normal, texture coordinates), widens the
    // bounding box by its position and counts it. A non-finite number throws
    // FloatingPointError, as formatting it would, and leaves everything as it was.
    void writeVertex(const TPunkt& p);
    // Takes the line "<t vi=\"a b c\" />" and counts it. Indices count all vertices.
    void writeTriangle(int a, int b, int c);
    // Takes over the vertices and triangles of `part`, built on its own, as if they had been
    // written here: its triangle indices move by the vertices already here. `part` has no
    // subset; it is left empty.
    void append(MeshLines&& part);
    // Closes the current mesh part: appends its subset line (first vertex, vertex count, first
    // index, index count from the subset start) and moves the subset start to the counters.
    void closeSubset();

    int vertexCount() const { return vertexCount_; }
    int triangleCount() const { return triangleCount_; }
    int subsetCount() const { return subsetCount_; }
    int subsetStartVertex() const { return subsetStartVertex_; }
    int subsetStartTriangle() const { return subsetStartTriangle_; }
    const BoundingBox& boundingBox() const { return box_; }

    const BlockList<MeshVertex>& vertices() const { return vertices_; }
    const BlockList<MeshTriangle>& triangles() const { return triangles_; }
    // The lines as the document carries them, each ended by CR LF.
    std::string vertexLines() const;
    std::string triangleLines() const;
    const std::string& subsetLines() const { return subsets_; }

private:
    BlockList<MeshVertex> vertices_;
    BlockList<MeshTriangle> triangles_;
    std::string subsets_;
    int vertexCount_ = 0, triangleCount_ = 0, subsetCount_ = 0;
    int subsetStartVertex_ = 0, subsetStartTriangle_ = 0;
    BoundingBox box_;
};

// Control-vertex lines "<cv c=\"x y z\"/>" of one traffic curve, kept as positions until written.
class CurveLines {
public:
    // A non-finite coordinate throws FloatingPointError and adds nothing.
    void add(const TPunkt& p);
    int count() const { return static_cast<int>(points_.size()); }
    const BlockList<std::array<double, 3>>& points() const { return points_; }
    std::string lines() const;
    // The control vertices in the opposite order: the curve then runs the other way.
    void reverse();

private:
    BlockList<std::array<double, 3>> points_;
};

// What shapes the document besides the lines: switches and texts as the run took them.
// Texts are UTF-8; they are escaped and converted to Latin-1 when written.
struct DocumentOptions {
    bool road = true;
    bool rightEdge = false;
    bool leftEdge = false;
    bool fill = false;
    bool curveMiddle = false, curveRight = false, curveLeft = false;
    bool transformGroups = true;
    std::string shapeName = "Strasse";
    std::string roadTexture, rightEdgeTexture, leftEdgeTexture, fillTexture;
    // What the game needs of the curves, as the editor stores it: user attributes after the
    // scene. Both off (or no curve on), the document ends as it always has.
    bool aiRoad = false;            // the curve shapes in "<shapeName>_AI", a road of the AI
    bool trafficAttributes = false; // speedLimit and maxSpeedScale on every curve
    double speedLimit = 50.0;       // km/h
    double maxSpeedScale = 1.0;
    std::array<double, 3> maxWidth{}; // m, of the curves middle, right, left (AI road only)

    bool anyMeshPart() const { return road || rightEdge || leftEdge || fill; }

    // The File entries of the document, in its order: one per switched-on mesh part.
    struct TextureFile {
        int fileId;
        const std::string* name;
    };
    std::vector<TextureFile> textureFiles() const;
};

// Declaration through the line that opens Shapes.
std::string documentHead(const DocumentOptions& options);

// Receives the document's bytes in order.
using DocumentSink = std::function<void(std::string_view)>;

// Curves (those given, in the order middle, right, left), the mesh block when a mesh part is
// on, the scene with the curve shapes (in the AI road's group, node 10, when asked), the main
// node and one group per control point, and the curves' user attributes; through "</i3D>".
// A null curve pointer means that curve is off.
std::string documentTail(const DocumentOptions& options, const MeshLines& mesh,
                         const CurveLines* middle, const CurveLines* right, const CurveLines* left,
                         const TSplinePunkte& splines);

// The same tail handed to `sink` in pieces of a few hundred kilobytes: the vertex, triangle
// and curve lines are formatted straight into them, so the document's text never exists as
// a whole in memory.
void writeDocumentTail(const DocumentOptions& options, const MeshLines& mesh,
                       const CurveLines* middle, const CurveLines* right, const CurveLines* left,
                       const TSplinePunkte& splines, const DocumentSink& sink);

// A text made safe for an attribute value in a Latin-1 document: & < > " as entities,
// characters up to U+00FF as their byte, anything above as a numeric reference. Input UTF-8.
std::string escapeAttributeLatin1(const std::string& utf8);

} // namespace trassolin
