#pragma once

#include "mesh/road_mesh.h"
#include "uFuellFlaeche/fuell_flaeche.h"
#include "uGlobal/messages.h"
#include "uGlobal/rand_punkte.h"

namespace trassolin {

// Closes the cross-section at both ends of the road: the fill outline triangulated and placed
// as the start face at the first sample (facing backwards) into `startFace` and as the end
// face at the last sample (facing forwards) into `endFace`, each one cross-section at its
// station; appends the status line.
void buildFillFaces(TFuellFlaeche& fill, const TRandPunkte& right, const TRandPunkte& left,
                    double roadWidth, const TPunkt& firstSample, const TPunkt& lastSample,
                    double length, MeshPart& startFace, MeshPart& endFace, MessageSink& messages,
                    StatusLog& log);

} // namespace trassolin
