#pragma once

#include "generation/run_state.h"
#include "uGlobal/messages.h"
#include "uGlobal/rand_punkte.h"

namespace trassolin {

// Sweeps the edge profile along the border points of its side: one section of vertices per
// border point, two triangles per profile segment between neighbouring sections, and V
// running along the border in its own band. Appends the subset and the status line.
// Fewer than two border points: warning and RunStopped.
void buildEdgeStrip(const TRandPunkte& profile, const TPunkteSammlung& border, MeshLines& mesh,
                    MessageSink& messages, StatusLog& log);

// The right strip, then the left one (a null profile is a strip that is off), with the status
// lines, warnings, failures and, when it gets through, the mesh exactly as buildEdgeStrip one
// after the other gives them; when both are built, the left one is swept on a second thread
// meanwhile.
void buildEdgeStrips(const TRandPunkte* right, const TPunkteSammlung& rightBorder,
                     const TRandPunkte* left, const TPunkteSammlung& leftBorder, MeshLines& mesh,
                     MessageSink& messages, StatusLog& log);

} // namespace trassolin
