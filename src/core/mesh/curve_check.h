#pragma once

// The traffic curves of a road mesh as the game drives them: each curve evaluated as the
// degree-3 open NURBS curve the document declares, sampled every metre of its length, and
// checked against the generated road surface and for bends too tight for the vehicles.

#include "mesh/road_mesh.h"

#include <functional>
#include <vector>

namespace trassolin {

// A point of a curve: where it stands, how far along the curve (m from its first control
// vertex), and its radius in the horizontal plane (m; infinite on a straight).
struct CurveSample {
    Vec3 position;
    double station;
    double radius;
};

// Calls `onSample` at station 0, every `step` metres of arc length and at the curve's end.
// The curve is the clamped uniform B-spline of degree 3 over the control vertices, the form
// the engine gives a NurbsCurve from its control vertices alone: it begins and ends at the
// first and last vertex and passes near, not through, the others. A curve of fewer than four
// control vertices gives nothing.
void sampleCurve(const MeshCurve& curve, double step, const std::function<void(const CurveSample&)>& onSample);

enum class CurveFindingKind {
    AboveSurface, // value: m above the road surface
    BelowSurface, // value: m below it
    BesideRoad,   // value: m beside its border (horizontally); infinite: farther than was searched
    TightBend,    // value: the radius, m
};

// One stretch of a curve where a check fails, at its worst sample.
struct CurveFinding {
    CurveKind curve;
    CurveFindingKind kind;
    double station; // m along the curve from its start
    double value;
    double from, to; // m: the first and the last sample of the stretch
};

struct CurveCheckLimits {
    double surfaceDistance = 0.45; // m; the game's own validator warns beyond this
    double minRadius = 20.0;       // m
    double besideTolerance = 0.01; // m a curve may stand outside the border (numbers, not roads)
};

struct CurveCheck {
    std::vector<CurveFinding> findings; // per curve in the mesh's order, by station
    bool surfaceChecked = false;        // false without a road surface: radii only
};

// Checks every curve of the mesh, sampled every metre: a sample more than surfaceDistance
// vertically from the road surface below or above it, a sample beside every road triangle, a
// radius below minRadius. Consecutive samples with the same failure are one finding.
CurveCheck checkTrafficCurves(const RoadMesh& mesh, const CurveCheckLimits& limits);

} // namespace trassolin
