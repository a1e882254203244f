// gelaende: the road of a parameter file against the ground of a map.

#include "commands.h"
#include "console.h"

#include "io/paths.h"
#include "settings/ini_file.h"
#include "settings/parameter_file.h"
#include "settings/parameter_set.h"
#include "terrain/ground_points.h"
#include "terrain/map_terrain.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <iostream>
#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace trassolin::cli {

namespace {

// The last line of a stop: which of the files the command would have written stay as they
// were and which were never created.
std::string stopVerdict(const std::vector<std::filesystem::path>& targets,
                        const std::vector<bool>& existed) {
    if (targets.empty()) return "Abgebrochen – keine Datei geschrieben";
    std::string text = "Abgebrochen – keine Datei geschrieben (";
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (i > 0) text += ", ";
        text += displayPath(targets[i]) +
                (existed[i] ? " bleibt unverändert" : " wurde nicht angelegt");
    }
    return text + ")";
}

} // namespace

int terrainCommand(const TerrainRequest& request, char decimalSeparator) {
    std::vector<std::filesystem::path> targets;
    if (request.placePoints) targets.push_back(request.parameterFile);
    std::vector<bool> existed;
    for (const auto& target : targets) {
        std::error_code ec;
        existed.push_back(std::filesystem::exists(target, ec));
    }
    const CommandFiles files{request.parameterFile,
                             targets.empty() ? request.parameterFile : targets.front()};
    ConsoleMessages messages(files);
    try {
        ParameterSet set;
        loadParameterFile(request.parameterFile, set, messages);
        const Ground ground = loadGround(request.ground, messages);
        std::cout << "Gelände: " << displayPath(ground.heightMapFile) << " – "
                  << groundDescription(ground.map, decimalSeparator) << '\n';

        if (request.placePoints) {
            placeOnGround(set.splines, ground.map, request.offset, decimalSeparator);
            // Only the heights change: every other line of the file stays as it stands.
            IniFile ini = IniFile::readForUpdate(request.parameterFile);
            for (int i = 0; i < set.splines.count(); ++i) {
                ini.writeString("SplinePts" + formatInteger(i + 1), "Y",
                                formatGeneral(set.splines.get(i)->Y, decimalSeparator));
            }
            ini.save(request.parameterFile);
            std::cout << "Y von " << formatInteger(set.splines.count())
                      << " Spline-Punkten auf das Gelände gesetzt (Versatz "
                      << formatGeneral(request.offset, decimalSeparator) << " m) in "
                      << displayPath(request.parameterFile) << '\n';
        }
        return kComplete;
    } catch (const std::bad_alloc&) {
        printError(kOutOfMemory);
    } catch (const std::exception& e) {
        printError(describeFailure(e, files));
    }
    printError(stopVerdict(targets, existed));
    return kStopped;
}

} // namespace trassolin::cli
