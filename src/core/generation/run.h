#pragma once

#include "generation/random_sequence.h"
#include "settings/parameter_set.h"
#include "uGlobal/messages.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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
// A run whose mesh could exceed this many vertices is refused before it starts: it would take
// minutes and gigabytes and give a document no editor loads.
inline constexpr double kMaxMeshVertices = 50'000'000.0;

// The window keeps an enabled edge's texture values in its fields until the run reads them:
// `readEdgeFields` is called for each enabled profile just before its listing and may throw a
// ConversionError like any other field. The command line has them in the profile already.
// A field that is no number reaches `messages.showError` with its section and key in `where`.
//
// `summary`, when given, receives the figures of a complete run.
struct RunSummary {
    int vertices = 0, triangles = 0;       // of the whole mesh: road, edges and fill
    double roadLength = 0.0;               // m, the total of the status log
    std::vector<std::string> textureFiles; // as the document's File entries name them, in order
};
using EdgeFieldReader = std::function<void(TRandPunkte&)>;
//
// `beforeReplacing`, when given, is called once the document is written completely and on disk
// but before it replaces `output`, with the TexL0 text the next road starts from. A caller that
// has to replace a second file with the document (the parameter file with that TexL0) prepares
// it there; when it throws, the run stops like any other and the old document stays.
using ReplacementGuard = std::function<void(std::string_view nextTexL0)>;
bool runGeneration(ParameterSet& params, const std::filesystem::path& output, MessageSink& messages,
                   StatusLog& log, RandomSequence& random, char decimalSeparator,
                   const EdgeFieldReader& readEdgeFields = {}, RunSummary* summary = nullptr,
                   const ReplacementGuard& beforeReplacing = {});

} // namespace trassolin
