#pragma once

#include "generation/progress.h"
#include "generation/random_sequence.h"
#include "generation/run_inputs.h"
#include "settings/parameter_set.h"
#include "uGlobal/messages.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace trassolin {

// The figures of a complete run.
struct RunSummary {
    int vertices = 0, triangles = 0;       // of the whole mesh: road, edges and fill
    double roadLength = 0.0;               // m, the total of the status log
    std::vector<std::string> textureFiles; // as the document's File entries name them, in order
};

// Called once the documents are written completely and on disk but before they replace their
// old files, with the TexL0 text the next road starts from. A caller that has to replace a
// further file with them (the parameter file with that TexL0) prepares it there; when it
// throws, the run stops like any other and the old documents stay.
using ReplacementGuard = std::function<void(std::string_view nextTexL0)>;

// What a caller may add to a run.
struct RunOptions {
    // The window's enabled edges read their texture fields here (run_inputs.h); a field that
    // is no number reaches the messages with its section and key.
    EdgeFieldReader readEdgeFields{};
    RunSummary* summary = nullptr; // receives the figures of a complete run
    ReplacementGuard beforeReplacing{};
    // Also write the road as glTF 2.0 into this file (.glb binary, .gltf with the buffer
    // embedded); both documents are written completely before either replaces its old file.
    std::filesystem::path gltf{};
    RunProgress* progress = nullptr; // hears of every segment of the path, may cancel the run
};

// One generation run ("Go"): refines the path, reads and reports the parameters, checks the
// output files, builds the road as a mesh (build.h) and writes the i3d document to `output`
// (and the glTF when asked). Returns true when everything was written completely.
//
// Every stop (too few points, a refinement failure, a value that is no number, an input/output
// or floating-point error, too few border points) leaves the output files exactly as they
// were: a document is written to a temporary file and renamed over its output only when all
// are complete. Errors reach `messages` as error boxes; the status log keeps the lines written
// so far. A run cancelled through its progress throws RunCancelled, with the files untouched.
// After a complete run with the road on, params.texL0 holds the next road's start coordinate
// (general form with `decimalSeparator`) and params.previousTexL0 the one this run started from.
//
// A run is one synchronous call. Inside it a helper thread sweeps the left edge strip and
// formats every other batch of the long line lists; it ends before the call returns, and the
// document, status log and messages are byte for byte those of one thread.
bool runGeneration(ParameterSet& params, const std::filesystem::path& output, MessageSink& messages,
                   StatusLog& log, RandomSequence& random, char decimalSeparator,
                   const RunOptions& options = {});

} // namespace trassolin
