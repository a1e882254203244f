// gelaende: the road of a parameter file against the ground of a map.

#include "commands.h"
#include "console.h"

#include "generation/run_inputs.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "settings/ini_file.h"
#include "settings/parameter_file.h"
#include "settings/parameter_set.h"
#include "terrain/footprint_mask.h"
#include "terrain/ground_points.h"
#include "terrain/road_footprint.h"
#include "terrain/terrain_report.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace trassolin::cli {

namespace {

enum class Output { Csv, Flattened, Mask, Parameters };

// A file the command replaces, and what became of it.
struct Target {
    Output kind;
    std::filesystem::path file;
    bool existed = false;
    bool published = false;
    std::string done; // the line printed once it is replaced
};

// The last line of a stop: which of the files stay as they were, which were never created and,
// should a replacement fail halfway, which were replaced already.
std::string stopVerdict(const std::vector<Target>& targets) {
    std::string list;
    bool any = false;
    for (const Target& t : targets) {
        if (!list.empty()) list += ", ";
        any = any || t.published;
        list += t.published ? displayPath(t.file) + " ist ersetzt" : leftAsItWas(t.file, t.existed);
    }
    const std::string head =
        any ? "Abgebrochen – nur zum Teil geschrieben" : "Abgebrochen – keine Datei geschrieben";
    return list.empty() ? head : head + " (" + list + ")";
}

std::string pixels(int width, int height) {
    return formatGrouped(width) + " × " + formatGrouped(height) + " Pixel";
}

} // namespace

int terrainCommand(const TerrainRequest& request, char decimalSeparator) {
    // In the order they are replaced: the parameter file, the user's own work, last.
    std::vector<Target> targets;
    for (const auto& [kind, file] :
         {std::pair{Output::Csv, request.csv}, std::pair{Output::Flattened, request.flattened},
          std::pair{Output::Mask, request.mask}}) {
        if (!file.empty()) targets.push_back({kind, file, fileExists(file), false, {}});
    }
    if (request.placePoints) {
        targets.push_back({Output::Parameters,
                           request.parameterFile,
                           fileExists(request.parameterFile),
                           false,
                           {}});
    }
    const CommandFiles files{request.parameterFile,
                             targets.empty() ? request.parameterFile : targets.front().file};
    ConsoleMessages messages(files);
    bool beyondTolerance = false;
    try {
        // Targets that could never be replaced are refused before anything is read; the
        // parameter file is prepared by its own update.
        std::vector<std::unique_ptr<OutputFile>> outputs;
        for (const Target& t : targets) {
            outputs.push_back(t.kind == Output::Parameters ? nullptr
                                                           : std::make_unique<OutputFile>(t.file));
        }
        ParameterSet set;
        loadParameterFile(request.parameterFile, set, messages);
        const Ground ground = loadGround(request.ground, messages);
        std::cout << "Gelände: " << displayPath(ground.heightMapFile) << " – "
                  << groundDescription(ground.map, decimalSeparator) << '\n';
        // The map names its height map only now.
        for (const Target& t : targets) {
            if (sameFile(t.file, ground.heightMapFile)) {
                throw TrassolinError("Die Höhenkarte " + displayPath(ground.heightMapFile) +
                                     " wird nicht überschrieben; bitte eine neue Datei wählen");
            }
        }

        std::vector<double> heights;
        if (request.placePoints) {
            placeOnGround(set.splines, ground.map, request.offset, decimalSeparator);
            for (const TSplinePkt& p : set.splines.points())
                heights.push_back(p.Y);
        }

        // The road as generate builds it from the same file.
        const RoadFootprint road = roadFootprint(set, messages, RandomSequence{}, decimalSeparator);
        const TerrainReport report = measureClearance(road.points, ground.map, decimalSeparator);
        for (const std::string& line : reportLines(report, request.tolerance, decimalSeparator)) {
            std::cout << line << '\n';
        }
        beyondTolerance = exceedsTolerance(report, request.tolerance);

        for (std::size_t i = 0; i < targets.size(); ++i) {
            Target& t = targets[i];
            switch (t.kind) {
            case Output::Csv:
                outputs[i]->write(clearanceCsv(report, decimalSeparator));
                t.done = formatGrouped(static_cast<double>(report.rows.size())) + " Stationen";
                break;
            case Output::Flattened: {
                const auto changes =
                    flattenedPixels(ground.map, road.surfaces, request.flatten, decimalSeparator);
                writeFlattenedHeightMap(*outputs[i], ground.heightMapFile, ground.map, changes);
                t.done = "Höhenkarte " +
                         pixels(ground.map.pixels().width(), ground.map.pixels().height()) +
                         ", davon " + formatGrouped(static_cast<double>(changes.size())) +
                         " an die Straße angepasst";
                break;
            }
            case Output::Mask: {
                const SampleGrid grid = maskGrid(ground.map, request.maskSize);
                const auto mask = footprint(grid, road.road(), road.verges());
                writeFootprintMask(*outputs[i], grid, mask);
                std::size_t under = 0;
                for (const auto& m : mask)
                    under += m.value == kMaskRoad;
                t.done = "Maske " + pixels(grid.columns, grid.rows) + ", " +
                         formatGrouped(static_cast<double>(under)) + " unter der Fahrbahn (255), " +
                         formatGrouped(static_cast<double>(mask.size() - under)) +
                         " unter den Rändern (128)";
                break;
            }
            case Output::Parameters: {
                // Only the heights change: every other line of the file stays as it stands.
                IniFile ini = IniFile::readForUpdate(request.parameterFile);
                for (std::size_t k = 0; k < heights.size(); ++k) {
                    ini.writeString("SplinePts" + formatInteger(static_cast<std::int64_t>(k) + 1),
                                    "Y", formatGeneral(heights[k], decimalSeparator));
                }
                outputs[i] = ini.prepareSave(request.parameterFile);
                t.done = "Y von " + formatGrouped(static_cast<double>(heights.size())) +
                         " Spline-Punkten auf das Gelände gesetzt (Versatz " +
                         formatGeneral(request.offset, decimalSeparator) + " m)";
                continue;
            }
            }
            outputs[i]->prepare();
        }
        // All complete: now they replace their files, the parameter file last.
        for (std::size_t i = 0; i < targets.size(); ++i) {
            outputs[i]->publish();
            targets[i].published = true;
        }
        for (const Target& t : targets) {
            std::cout << "Geschrieben: " << displayPath(t.file) << " – " << t.done << '\n';
        }
        return beyondTolerance ? kStopped : kComplete;
    } catch (const RunStopped&) {
        // The messages said why.
    } catch (const std::bad_alloc&) {
        printError(kOutOfMemory);
    } catch (const std::exception& e) {
        printError(describeFailure(e, files));
    }
    printError(stopVerdict(targets));
    return kStopped;
}

} // namespace trassolin::cli
