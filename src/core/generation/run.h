#pragma once

#include "generation/random_sequence.h"
#include "settings/parameter_set.h"
#include "uGlobal/messages.h"

#include <filesystem>
#include <functional>

namespace trassolin {

// One generation run ("Go"): refines the path, reads and reports the parameters, builds the
// road surface, the edge strips, the end-face fill and the traffic curves, and writes the i3d
// document to `output`. Returns true when the document was written completely.
//
// Every stop (too few points, a refinement failure, a value that is no number, an input/output
// or floating-point error, too few border points) leaves `output` exactly as it was: the
// document is written to a temporary file and renamed over the output only when complete.
// Errors reach `messages` as error boxes; the status log keeps the lines written so far.
// After a complete run with the road on, params.texL0 holds the next road's start coordinate
// (general form with `decimalSeparator`) and params.previousTexL0 the one this run started from.
//
// A run is one synchronous call. Inside it a helper thread sweeps the left edge strip and
// formats every other batch of the long line lists; it ends before the call returns, and the
// document, status log and messages are byte for byte those of one thread.
//
// The window keeps an enabled edge's texture values in its fields until the run reads them:
// `readEdgeFields` is called for each enabled profile just before its listing and may throw a
// ConversionError like any other field. The command line has them in the profile already.
using EdgeFieldReader = std::function<void(TRandPunkte&)>;
bool runGeneration(ParameterSet& params, const std::filesystem::path& output,
                   MessageSink& messages, StatusLog& log, RandomSequence& random,
                   char decimalSeparator, const EdgeFieldReader& readEdgeFields = {});

} // namespace trassolin
