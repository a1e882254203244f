#pragma once

// The traffic curves of a road mesh as the game drives them: each curve evaluated as the
// degree-3 open NURBS curve the document declares, sampled every metre of its length, and
// checked against the generated road surface and for bends too tight for the vehicles.

#include "mesh/road_mesh.h"

#include <functional>
#include <vector>

namespace trassolin {

// A point of a curve: where it stands and how far along the curve (m from its first control
// vertex).
struct CurveSample {
    Vec3 position;
    double station;
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

// The radius of a curve at a sample is that of the circle through it and the samples this many
// metres before and after it, in the horizontal plane: the bend a vehicle of about that length
// has to drive. The curvature of the curve itself peaks wherever two control vertices stand
// close together (a segment's end), by centimetres of the curve's course that no vehicle
// notices: on the bundled country road, bends of about 300 m, a 4 m circle still dips to
// 130 m there, an 8 m one no more below 150 m.
inline constexpr int kRadiusBaseline = 8;

// The radius in the horizontal plane (x, z) of the circle through three points, m; infinite
// when they lie on a line.
double circleRadius(const Vec3& a, const Vec3& b, const Vec3& c);

struct CurveCheck {
    std::vector<CurveFinding> findings; // per curve in the mesh's order, by station
    bool surfaceChecked = false;        // false without a road surface: radii only
};

// Checks every curve of the mesh, sampled every metre: a sample more than surfaceDistance
// vertically from the road surface below or above it, a sample beside every road triangle, a
// radius below minRadius (from kRadiusBaseline metres after the start to as far before the
// end). Consecutive samples with the same failure are one finding.
CurveCheck checkTrafficCurves(const RoadMesh& mesh, const CurveCheckLimits& limits);

} // namespace trassolin
