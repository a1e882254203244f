#pragma once

#include "uGlobal/messages.h"
#include "uGlobal/punkt.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace trassolin {

// More points than this in an import or a parameter file mean a damaged or foreign file.
inline constexpr int kMaxSplinePoints = 100'000;

// An export of spline points is a few kilobytes; even a whole map's scene stays far below this.
// A larger file is refused by its size before it is read.
inline constexpr std::uintmax_t kMaxExportFileBytes = 256 * 1024 * 1024;

// Neighbouring points closer than this horizontally (m) give no path: refinement stops there.
inline constexpr double kMinChordLength = 0.1;

// What an import met besides the points, as far as the lines it scans tell.
struct ImportReport {
    // Shape tags that give no point: those after the first on a line and those on the line
    // that opens the scene.
    int skippedShapes = 0;
    // Points whose Shape sits inside a node that moves, turns or scales it: their values are
    // relative to that node, not to the map.
    int shapesInTransformedGroups = 0;
};

// One control point as the GIANTS editor shows a transform (metres, degrees), followed by
// what refinement computed for the segment from this point to the next one.
struct TSplinePkt {
    double X = 0.0, Y = 0.0, Z = 0.0;
    double Xrot = 0.0; // climb; positive means falling ahead
    double Yrot = 0.0; // heading
    double Zrot = 0.0; // bank

    double chordLength = 0.0;  // horizontal distance to the next point, m
    double chordHeading = 0.0; // rad
    double startAngle = 0.0, endAngle = 0.0; // rad, between chord and the points' headings
    double A = 0.0, B = 0.0, C = 0.0;        // lateral cubic x(s) = ((A s + B) s + C) s
    double D = 0.0, E = 0.0, F = 0.0;        // height cubic y(s) = ((D s + E) s + F) s
    double bankChange = 0.0;                 // degrees, the short way round
};

// The control points of the road in path order, with the point the editor shows.
class TSplinePunkte {
public:
    TSplinePunkte(); // two points at the origin

    int count() const { return static_cast<int>(points_.size()); }
    TSplinePkt& append();
    // Inserts a new point where `current` stands; current then designates the new point.
    TSplinePkt& insertBeforeCurrent();
    // Removes the point at index (others are ignored) and keeps current within the list.
    void erase(int index);
    // The point at index; nullptr past the end; a negative index throws std::out_of_range.
    TSplinePkt* get(int index);
    const TSplinePkt* get(int index) const;

    int current() const { return current_; }
    void setCurrent(int index) { current_ = index; }
    const std::string& fileName() const { return fileName_; }
    void setFileName(std::string name) { fileName_ = std::move(name); }

    // Builds every segment's chord and cubics; reports through `messages` (numbers in the
    // general form with `decimalSeparator`). False when the path cannot be built.
    bool refine(MessageSink& messages, char decimalSeparator);
    // Pose of segment i at t in [0, 1], in the segment's local frame. Needs a successful refine.
    void evaluate(int segment, TPunkt& target, double t) const;

    // Points placed in the editor without turning them all head +Z. This sets every point's
    // heading (Yrot) and climb (Xrot) from its neighbours, so that the road passes each point
    // along the tangent; the bank (Zrot) stays. Degrees, rounded to 0.001. A point whose
    // neighbours stand straight above each other has no direction and keeps its rotation.
    // Returns how many points got a direction.
    int setDirectionsFromNeighbours();

    // Replaces the points by the Shapes of an exported scene; all or nothing. A value that is
    // no number throws a ConversionError whose `where` names the file and the line. A scene
    // without Shapes, or a road this program wrote, changes nothing and throws TrassolinError.
    ImportReport importFromI3d(const std::filesystem::path& file);

    const std::vector<TSplinePkt>& points() const { return points_; }
    // Replaces all points at once (a load or an import); current becomes 0.
    void assignPoints(std::vector<TSplinePkt> points);

private:
    std::vector<TSplinePkt> points_;
    int current_ = 0;
    std::string fileName_;
};

// Warnings about freshly imported points that will not give the road the user means: fewer
// than two points, neighbours on one spot, no heading anywhere, Shapes skipped or read inside
// transformed groups. `source` names the export at the start of each text;
// `directionsCommand` is how the front end computes headings.
void checkImportedPoints(const TSplinePunkte& points, const ImportReport& report,
                         std::string_view source, MessageSink& messages, char decimalSeparator,
                         std::string_view directionsCommand = "import-splines --richtungen");

} // namespace trassolin
