#pragma once

#include "generation/run_state.h"
#include "uFuellFlaeche/fuell_flaeche.h"
#include "uGlobal/messages.h"
#include "uGlobal/rand_punkte.h"

namespace trassolin {

// Closes the cross-section at both ends of the road: the fill outline triangulated and placed
// as the start face at the first sample (facing backwards) and as the end face at the last
// (facing forwards), each its own subset; appends the status line.
void buildFillFaces(TFuellFlaeche& fill, const TRandPunkte& right, const TRandPunkte& left,
                    double roadWidth, const TPunkteSammlung& centre, MeshLines& mesh,
                    MessageSink& messages, StatusLog& log);

} // namespace trassolin
