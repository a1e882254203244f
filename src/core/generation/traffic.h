#pragma once

#include "generation/run_inputs.h"
#include "mesh/road_mesh.h"

#include <array>
#include <optional>

namespace trassolin {

// The switched-on traffic curves while the road walk collects their control vertices.
struct TrafficCurves {
    std::optional<MeshCurve> middle, right, left;
};

// The curves `in` switches on, empty, with the names the documents give them.
TrafficCurves startTrafficCurves(const RunInputs& in);

// Control vertices of the switched-on traffic curves for one road sample (world pose, with
// camber) of curvature c: on the path, and at a percentage of each border's offset. A
// non-finite coordinate throws FloatingPointError.
void addTrafficPoints(const RunInputs& in, TrafficCurves& curves, const TPunkt& sample, double c);

// A degree-3 curve needs four control vertices: pads a curve of two or three vertices to four
// on its own polyline, so the shape of the road's centre line is kept.
void finishTrafficCurve(MeshCurve& curve);

// The control vertices in the opposite order: the curve then runs the other way.
void reverseTrafficCurve(MeshCurve& curve);

// maxWidth of the curves middle, right, left for the game's AI, m: the road width for the
// middle curve, twice the distance to the nearer road border for a side curve, taken on a
// straight (a default the modder can change in the editor). FloatingPointError when a width
// is no finite number.
std::array<double, 3> aiLaneWidths(const RunInputs& in);

} // namespace trassolin
