#pragma once

#include "uGlobal/canvas.h"
#include "uGlobal/messages.h"
#include "uGlobal/punkt.h"

#include <numbers>
#include <string>
#include <vector>

namespace trassolin {

// One segment of an edge cross-section; segment 0 is the origin point at the road edge.
// Profile coordinates: x0 outwards from the road, y0 up, metres; angles in radians
// (0 outwards, pi/2 up, negative falls).
struct Randsegment {
    double dx = 0.0, dy = 0.0;     // extent: length * cos(angle), length * sin(angle)
    double x0 = 0.0, y0 = 0.0;     // profile point at the segment's end, summed from the origin
    double length = 0.0;           // "Breite" in the windows and files; 0 for the origin
    double angle = 0.0;            // rad
    double normalCos = 0.0, normalSin = 1.0;
    double normalAngle = std::numbers::pi / 2; // rad, kept within -pi/2 .. 3*pi/2
    bool manualNormal = false;
    double u = 0.0; // texture coordinate at this profile point ("Ende")
};

struct ProfileExtent {
    double minX0 = 0.0, maxX0 = 0.0, minY0 = 0.0, maxY0 = 0.0;
};

// The cross-section of one road edge (verge): a chain of segments outwards from the road edge.
class TRandPunkte {
public:
    TRandPunkte(std::string name, bool rightSide);

    int count() const { return static_cast<int>(segments_.size()); }
    int appendSegment();
    // Inserts a copy of the segment at `current` at that index (the original moves up).
    void insertCopyOfCurrent();
    // nullptr past the end; a negative index throws std::out_of_range.
    Randsegment* getSegment(int index);
    const Randsegment* getSegment(int index) const;
    void setSegment(int index, const Randsegment& segment);
    // Removes a segment and recomputes; the origin and indices outside are ignored.
    void deleteSegment(int index, MessageSink& messages);
    void updateSegmentGeometry(int index);
    // Profile points, automatic normals and extent; warns about short or untextured segments.
    // Does nothing while the edge is not enabled.
    void recompute(MessageSink& messages);
    // U of every point from the segment lengths and the texture width ("Breite -> U").
    void computeUFromTextureWidth(MessageSink& messages);
    // World position, normal and U of profile point j on the road-edge pose `base`.
    void placeProfilePoint(const TPunkt& base, TPunkt& target, int j) const;
    // Appends "Randpunkte-Ausgabe für: …" and one line per point (nothing for the origin alone).
    void listing(std::vector<std::string>& lines, char decimalSeparator) const;
    // Texture settings and all segments of `other`; name, side, current and extent stay.
    void copyFrom(const TRandPunkte& other, MessageSink& messages);
    void draw(Canvas& canvas, Colour colour, int width, int height, double xOffset,
              double yOffset, double leastX, double greatestX, double leastY,
              double greatestY) const;
    // Brings the profile to exactly n entries (n >= 1): appends defaults, or deletes from
    // the end with a recompute per deletion as the editor does.
    void resize(int entries, MessageSink& messages);

    const std::string& name() const { return name_; }
    bool rightSide() const { return rightSide_; }
    const ProfileExtent& extent() const { return extent_; }
    const std::vector<Randsegment>& segments() const { return segments_; }

    bool enabled = false;
    std::string textureFileName;
    double textureLength = 0.0; // m of road per texture repeat
    double textureWidth = 0.0;  // m of profile per texture width
    bool resetInsteadOfMirror = false;
    int current = 1;
    int texturePixels = 0;

private:
    std::vector<Randsegment> segments_;
    ProfileExtent extent_;
    std::string name_;
    bool rightSide_;
};

} // namespace trassolin
