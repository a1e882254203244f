#pragma once

// The i3d 1.6 document a run writes: the four line formats the mesh builders use, and the
// head and tail around them. Lines end in CR LF; texts are Latin-1 bytes; numbers are in
// the fixed form "0.0000".

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

// The run's vertex, triangle and subset line lists with their counters. Each list is one
// growing text buffer: a line is formatted once, when it is emitted.
class MeshLines {
public:
    // Appends "<v p=… n=… t0=… />" for the point, widens the bounding box by its position and
    // counts it. A non-finite number throws FloatingPointError and leaves everything as it was.
    void writeVertex(const TPunkt& p);
    // Appends "<t vi=\"a b c\" />" and counts it. Indices count all vertices of the document.
    void writeTriangle(int a, int b, int c);
    // Closes the current mesh part: appends its subset line (first vertex, vertex count, first
    // index, index count from the subset start) and moves the subset start to the counters.
    void closeSubset();

    int vertexCount() const { return vertexCount_; }
    int triangleCount() const { return triangleCount_; }
    int subsetCount() const { return subsetCount_; }
    int subsetStartVertex() const { return subsetStartVertex_; }
    int subsetStartTriangle() const { return subsetStartTriangle_; }
    const BoundingBox& boundingBox() const { return box_; }

    const std::string& vertexLines() const { return vertices_; }
    const std::string& triangleLines() const { return triangles_; }
    const std::string& subsetLines() const { return subsets_; }

private:
    std::string vertices_, triangles_, subsets_;
    int vertexCount_ = 0, triangleCount_ = 0, subsetCount_ = 0;
    int subsetStartVertex_ = 0, subsetStartTriangle_ = 0;
    BoundingBox box_;
};

// Control-vertex lines "<cv c=\"x y z\"/>" of one traffic curve.
class CurveLines {
public:
    void add(const TPunkt& p);
    int count() const { return count_; }
    const std::string& lines() const { return lines_; }

private:
    std::string lines_;
    int count_ = 0;
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
// on, and the scene with the main node and one group per control point; through "</i3D>".
// A null curve pointer means that curve is off.
std::string documentTail(const DocumentOptions& options, const MeshLines& mesh,
                         const CurveLines* middle, const CurveLines* right, const CurveLines* left,
                         const TSplinePunkte& splines);

// The same tail handed to `sink` piece by piece: the vertex, triangle and curve line lists go
// out as they are, without a copy of the whole tail in memory.
void writeDocumentTail(const DocumentOptions& options, const MeshLines& mesh,
                       const CurveLines* middle, const CurveLines* right, const CurveLines* left,
                       const TSplinePunkte& splines, const DocumentSink& sink);

// A text made safe for an attribute value in a Latin-1 document: & < > " as entities,
// characters up to U+00FF as their byte, anything above as a numeric reference. Input UTF-8.
std::string escapeAttributeLatin1(const std::string& utf8);

} // namespace trassolin
