#pragma once

// How large a run can get, known before anything of it is built: each part of it bounded from
// above, so that a run that would take minutes and gigabytes is refused before it starts.

#include "settings/parameter_set.h"

namespace trassolin {

// Beyond these a run is refused (besides kMaxMeshVertices of run_inputs.h). A sample costs a pose in
// three point lists whether or not anything is built from it; a road takes at least two
// vertices per sample, so no run within the vertex budget samples more often than this.
inline constexpr double kMaxPathCandidates = 25'000'000.0;
// The control vertices of all traffic curves together, like the vertex budget for the mesh.
inline constexpr double kMaxCurvePoints = 50'000'000.0;

// Upper bounds of what a run of these points and inputs evaluates and writes.
struct RunSize {
    double candidates = 0.0;   // points of the path evaluated for a sample
    double meshVertices = 0.0; // road, seam vertices of texture resets, edges and fill
    double curvePoints = 0.0;  // control vertices of the traffic curves together
};

// From the switches of `params` and its refined path (the chord lengths): nothing to parse.
RunSize runSizeAtMost(const ParameterSet& params);

// TrassolinError naming the size and the limit for the first part that is beyond its limit:
// the point count (which also bounds the scene's transform groups), the path, the mesh, the
// traffic curves.
void refuseOversizedRun(const RunSize& size, int points);

} // namespace trassolin
