#include "generation/run.h"

#include "generation/build.h"
#include "generation/traffic.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "output/document.h"
#include "output/gltf.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <new>
#include <optional>
#include <string>

namespace trassolin {

namespace {

DocumentOptions documentOptions(const ParameterSet& params, const RunInputs& in) {
    DocumentOptions o;
    o.transformGroups = params.transformGroup;
    o.aiRoad = in.kiStrassenspline;
    if (o.aiRoad) o.maxWidth = aiLaneWidths(in);
    o.trafficAttributes = in.verkehrsspline;
    o.speedLimit = in.tempo;
    o.maxSpeedScale = in.tempoFaktor;
    return o;
}

// The glTF's form by its name; a name that says neither, or the i3d document's own file, is
// refused before anything is built.
GltfForm checkedGltfForm(const std::filesystem::path& gltf, const std::filesystem::path& output) {
    const auto form = gltfFormFor(gltf);
    if (!form) {
        throw IoError("Die glTF-Datei muss auf .glb oder .gltf enden: " + displayPath(gltf), gltf);
    }
    if (sameFile(gltf, output)) {
        throw IoError("glTF-Datei und i3d-Datei sind dieselbe Datei: " + displayPath(gltf), gltf);
    }
    return *form;
}

DocumentSink into(OutputFile& file) {
    return [&file](std::string_view bytes) { file.write(bytes); };
}

} // namespace

bool runGeneration(ParameterSet& params, const std::filesystem::path& output, MessageSink& messages,
                   StatusLog& log, RandomSequence& random, char decimalSeparator,
                   const RunOptions& options) {
    if (params.splines.count() < 2) {
        messages.show(MessageKind::Warning, "Zu wenig SplinePunkte");
        return false;
    }
    log.clear();
    if (!params.splines.refine(messages, decimalSeparator)) return false;

    try {
        const RunInputs in = readRunInputs(params, log, decimalSeparator, options.readEdgeFields);
        const DocumentOptions documentOpts = documentOptions(params, in);
        // Targets that could never be replaced are refused before the mesh is built.
        OutputFile document(output);
        std::optional<OutputFile> gltf;
        std::optional<GltfForm> gltfForm;
        if (!options.gltf.empty()) {
            gltfForm = checkedGltfForm(options.gltf, output);
            gltf.emplace(options.gltf);
        }

        const RoadBuild built =
            buildRoadMesh(params, in, messages, log, random, options.progress);
        writeI3dDocument(built.mesh, documentOpts, into(document));
        document.prepare();
        if (gltf) {
            writeGltf(built.mesh, *gltfForm, into(*gltf));
            gltf->prepare();
        }
        const std::string nextTexL0Text =
            built.nextTexL0 ? formatGeneral(*built.nextTexL0, decimalSeparator) : params.texL0;
        // Whatever must be replaced together with the documents is made ready now; if that
        // fails, the old documents stay as well.
        if (options.beforeReplacing) options.beforeReplacing(nextTexL0Text);
        // The glTF first: should the i3d document then fail to take its place, the document
        // the user asked for above all is still the old one, as the stop says.
        if (gltf) gltf->publish();
        document.publish();

        params.previousTexL0 = in.texL0;
        params.texL0 = nextTexL0Text;
        if (RunSummary* summary = options.summary) {
            summary->vertices = static_cast<int>(built.mesh.vertexCount());
            summary->triangles = static_cast<int>(built.mesh.triangleCount());
            summary->roadLength = built.mesh.length;
            summary->textureFiles.clear();
            for (const MeshMaterial& material : built.mesh.materials) {
                summary->textureFiles.push_back(material.texture);
            }
        }
        return true;
    } catch (const RunStopped&) {
        return false;
    } catch (const TrassolinError& e) {
        messages.showError(e);
        return false;
    } catch (const std::bad_alloc&) {
        // The lists are released on the way out; the output file was never replaced.
        messages.show(MessageKind::Error, kOutOfMemory);
        return false;
    }
}

} // namespace trassolin
