#pragma once

#include "generation/progress.h"
#include "generation/random_sequence.h"
#include "generation/road_texture.h"
#include "generation/run_inputs.h"
#include "generation/traffic.h"
#include "mesh/road_mesh.h"
#include "uGlobal/messages.h"
#include "uSplinePkts/spline_punkte.h"

namespace trassolin {

// A point of the road's border where a verge's section stands: the pose of the sample it was
// made from (climb, heading, bank), moved sideways onto the border, and that sample's station.
struct BorderPoint {
    double x, y, z;
    double xrot, yrot, zrot;
    double station; // m along the path

    TPunkt pose() const;
};

// What the road walk leaves for the verges and the end faces.
struct RoadWalk {
    BlockList<BorderPoint> rightBorder, leftBorder; // in path order
    TPunkt firstSample, lastSample;                 // world poses of the path's ends
    double length = 0.0;                            // m, the total the status log reports
};

// Walks the refined path: samples it (path_sampler.h), gives every sample its border points
// with the curve widening, writes the road surface's vertices, triangles and one cross-section
// per sample into `road` (null while the road is off; the border points are made either way),
// and the control vertices of the switched-on curves. `texture` carries V along the road and
// holds the end coordinate afterwards. Appends one status line per segment and the total
// length. `progress`, when given, hears of every segment and may stop the walk before the next
// (RunCancelled).
RoadWalk walkRoad(const TSplinePunkte& splines, const RunInputs& in, MeshPart* road,
                  TrafficCurves& curves, RoadTexture& texture, RandomSequence& random,
                  StatusLog& log, RunProgress* progress = nullptr);

} // namespace trassolin
