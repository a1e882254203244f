#pragma once

// What of a road meets the ground: the points whose height above it the report gives, and
// the surfaces seen from above that the flattened height map and the mask are made from.

#include "generation/random_sequence.h"
#include "generation/run_inputs.h"
#include "mesh/road_mesh.h"
#include "settings/parameter_set.h"
#include "terrain/surface_raster.h"
#include "terrain/terrain_report.h"

#include <cstddef>
#include <span>
#include <vector>

namespace trassolin {

struct RoadFootprint {
    // The road surface's borders and each verge's outer end, every point with the station of
    // its cross-section, in the order of the mesh.
    std::vector<RoadPoint> points;
    // The triangles of the road surface, then those of the verges (the end faces stand upright
    // and cover no ground).
    std::vector<SurfaceTriangle> surfaces;
    std::size_t roadTriangles = 0;

    std::span<const SurfaceTriangle> road() const {
        return std::span(surfaces).first(roadTriangles);
    }
    std::span<const SurfaceTriangle> verges() const {
        return std::span(surfaces).subspan(roadTriangles);
    }
};

// The footprint of the parts the mesh has: a road built without its surface has no border
// points, one without verges no outer ends.
RoadFootprint roadFootprint(const RoadMesh& mesh);

// The footprint of the road a run of `params` builds: the same path, fields and random draws
// (`random` is a copy, so the next run still draws what it would have drawn), without the
// status lines and without touching a file. Throws what a run stops with: RunStopped after
// `messages` heard why (too few points, a path that cannot be refined, too few border
// points), TrassolinError (a field that is no number, a floating-point error).
RoadFootprint roadFootprint(ParameterSet& params, MessageSink& messages, RandomSequence random,
                            char decimalSeparator, const EdgeFieldReader& readEdgeFields = {});

} // namespace trassolin
