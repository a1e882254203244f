#pragma once

#include "generation/road.h"
#include "mesh/road_mesh.h"
#include "uGlobal/messages.h"
#include "uGlobal/rand_punkte.h"

namespace trassolin {

// One verge to build: its profile, the road border it follows and the part it fills.
struct EdgeStrip {
    const TRandPunkte& profile;
    const BlockList<BorderPoint>& border;
    MeshPart& part;
};

// Sweeps the edge profile along the border points of its side: one cross-section of vertices
// per border point, two triangles per profile segment between neighbouring sections, and V
// running along the border in the texture band of the road (RoadTexture). Appends the status
// line. Fewer than two border points: warning and RunStopped.
void buildEdgeStrip(const EdgeStrip& strip, MessageSink& messages, StatusLog& log);

// The right strip, then the left one (null: that strip is off), with the status lines,
// warnings, failures and parts exactly as buildEdgeStrip one after the other gives them; when
// both are long, the left one is swept on a second thread meanwhile.
void buildEdgeStrips(const EdgeStrip* right, const EdgeStrip* left, MessageSink& messages,
                     StatusLog& log);

} // namespace trassolin
