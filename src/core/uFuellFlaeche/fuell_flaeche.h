#pragma once

#include "uGlobal/messages.h"
#include "uGlobal/punkt.h"

#include <string>
#include <vector>

namespace trassolin {

class TRandPunkte;

struct Triangle {
    int a = 0, b = 0, c = 0;
    friend bool operator==(const Triangle&, const Triangle&) = default;
};

// Working record of the corner-clipping triangulation: a corner and its rank.
struct TFFrec {
    int corner = 0;
    double key = 0.0;
};

// Order of two corner records: -1, 0 or +1 by whole hundredths of their key difference, so
// keys closer than 0.01 tie.
int compareCornerRecords(const TFFrec& a, const TFFrec& b);
// Sorts records[left..right] ascending in place. Not stable: among tied records the
// partitioning decides which one ends last, and with it which corner is clipped.
void sortCornerRecords(std::vector<TFFrec>& records, int left, int right);

// The end-face fill ("Stirnfläche"): the cross-section between the right and the left edge
// profile and the road surface line, triangulated once and placed at both ends of the road.
class TFuellFlaeche {
public:
    // Deletes the outline points and the corner records.
    void clear();
    // Lays both profiles into the fill plane (x across the road, z the height), starting at
    // the right road border (-roadWidth/2) and ending at the left one (+roadWidth/2).
    void buildOutline(const TRandPunkte& right, const TRandPunkte& left, double roadWidth);
    // Sets u, v of every outline point around the centroid, then clips corners until a
    // triangle is left; appends n - 2 triangles with indices base + outline position and
    // returns how many it appended. Throws FloatingPointError for a texture width or height
    // of 0 or a corner whose neighbours coincide in the fill plane.
    int triangulate(std::vector<Triangle>& triangles, int baseIndex, bool reversedWinding,
                    MessageSink& messages);

    const TPunkteSammlung& outline() const { return outline_; }
    TPunkteSammlung& outline() { return outline_; }

    double textureHeight = 5.0; // m per texture repeat
    double textureWidth = 5.0;  // m per texture repeat
    std::string textureFile;
    bool swap = false; // exchange the two axes of the texture mapping

private:
    // u, v of every outline point from its offset to the centroid, per texture repeat.
    void computeTextureCoordinates();

    std::vector<TFFrec> records_;
    TPunkteSammlung outline_;
};

} // namespace trassolin
