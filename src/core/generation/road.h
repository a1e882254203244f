#pragma once

#include "generation/random_sequence.h"
#include "generation/road_texture.h"
#include "generation/run_state.h"
#include "uGlobal/messages.h"
#include "uSplinePkts/spline_punkte.h"

namespace trassolin {

// Walks the refined path: chooses the samples, gives them camber and curve widening, fills the
// centre and border lists, writes the road's vertices and triangles (when the road is on) and
// the traffic-curve control vertices, and appends one line per segment plus the total length.
// `texture` carries V along the road and holds the end coordinate afterwards. Returns the total
// length, m.
double buildRoad(const TSplinePunkte& splines, const RunInputs& in, RunState& state,
                 RoadTexture& texture, RandomSequence& random, StatusLog& log);

// Segments longer than this (m, horizontal) stop the run instead of sampling for hours.
inline constexpr double kMaxChordLength = 1'000'000.0;

} // namespace trassolin
