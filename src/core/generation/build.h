#pragma once

// The road of a parameter set as a mesh, built without touching any file: what a run writes
// into its documents and what a preview shows. The steps before it are those of a run: at
// least two spline points, the path refined (TSplinePunkte::refine) and the fields read
// (readRunInputs).

#include "generation/progress.h"
#include "generation/random_sequence.h"
#include "generation/run_inputs.h"
#include "mesh/road_mesh.h"
#include "settings/parameter_set.h"
#include "uGlobal/messages.h"

#include <optional>

namespace trassolin {

struct RoadBuild {
    RoadMesh mesh;
    // Where the next road starts in the road texture, in [0, 1); none while the road is off.
    std::optional<double> nextTexL0;
};

// Builds the road surface, the verges, the end faces and the traffic curves as the switches
// of `in` ask, in that order, with the status lines of a run from "TexturStart" on. Throws
// what a run stops with: TrassolinError (a floating-point error, a segment too long),
// RunStopped after the warning about too few border points, RunCancelled when `progress`
// asks. The end-face fill object of `params` keeps its outline.
RoadBuild buildRoadMesh(ParameterSet& params, const RunInputs& in, MessageSink& messages,
                        StatusLog& log, RandomSequence& random, RunProgress* progress = nullptr);

} // namespace trassolin
