#include "commands.h"

#include "console.h"

#include "generation/random_sequence.h"
#include "generation/run.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "settings/ini_file.h"
#include "settings/parameter_file.h"
#include "settings/parameter_set.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <memory>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

namespace trassolin::cli {

namespace {

bool fileExists(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::exists(file, ec);
}

// What a stop left of a target: as it was, or still absent.
std::string leftAsItWas(const std::filesystem::path& target, bool existed) {
    return displayPath(target) + (existed ? " bleibt unverändert" : " wurde nicht angelegt");
}

// Runs a command's work. A failure is reported with its context, and a stop of any kind ends
// with the verdict, so that the last line on stderr says what the command left behind (the
// target, and a second document written with it when there is one).
template <class Work>
bool completes(const CommandFiles& files, Work&& work,
               const std::filesystem::path& secondTarget = {}) {
    const bool existed = fileExists(files.target);
    const bool secondExisted = !secondTarget.empty() && fileExists(secondTarget);
    try {
        if (work()) return true;
    } catch (const std::exception& e) {
        printError(describeFailure(e, files));
    }
    std::string verdict = leftAsItWas(files.target, existed);
    if (!secondTarget.empty()) verdict += ", " + leftAsItWas(secondTarget, secondExisted);
    printError("Abgebrochen – kein Dokument geschrieben (" + verdict + ")");
    return false;
}

// The texture files that must lie beside the document in the map, each once.
std::string textureList(const std::vector<std::string>& files) {
    std::vector<std::string> named;
    for (const std::string& file : files) {
        if (!file.empty() && std::find(named.begin(), named.end(), file) == named.end()) {
            named.push_back(file);
        }
    }
    if (named.empty()) return "keine";
    std::string list = named.front();
    for (std::size_t i = 1; i < named.size(); ++i)
        list += ", " + named[i];
    return list;
}

} // namespace

int initCommand(const std::filesystem::path& parameterFile, char decimalSeparator) {
    const bool created = completes({parameterFile, parameterFile}, [&] {
        // A typing slip must not wipe out a tuned parameter file.
        if (fileExists(parameterFile)) {
            throw IoError("Die Datei " + displayPath(parameterFile) + " existiert bereits");
        }
        saveParameterFile(parameterFile, ParameterSet{}, decimalSeparator);
        return true;
    });
    if (!created) return kStopped;
    std::cout << "Parameterdatei " << displayPath(parameterFile) << " angelegt\n";
    return kComplete;
}

int importSplinesCommand(const std::filesystem::path& exportFile,
                         const std::filesystem::path& parameterFile, char decimalSeparator,
                         bool directions) {
    if (sameFile(exportFile, parameterFile)) {
        printError("Exportdatei und Parameterdatei sind dieselbe Datei: " +
                   displayPath(parameterFile));
        return kUsage;
    }
    const CommandFiles files{parameterFile, parameterFile};
    ConsoleMessages messages(files);
    ParameterSet set;
    const bool saved = completes(files, [&] {
        if (fileExists(parameterFile)) loadParameterFile(parameterFile, set, messages);
        const ImportReport report = set.splines.importFromI3d(exportFile);
        if (directions) set.splines.setDirectionsFromNeighbours();
        checkImportedPoints(set.splines, report, displayPath(exportFile), messages,
                            decimalSeparator);
        // The parameter file records where the points came from, wherever it is opened later.
        set.splines.setFileName(displayPath(std::filesystem::absolute(exportFile)));
        saveParameterFile(parameterFile, set, decimalSeparator);
        return true;
    });
    if (!saved) return kStopped;
    std::cout << formatInteger(set.splines.count()) << " Spline-Punkte importiert aus "
              << displayPath(exportFile) << '\n';
    return kComplete;
}

int directionsCommand(const std::filesystem::path& parameterFile, char decimalSeparator) {
    const CommandFiles files{parameterFile, parameterFile};
    ParameterSet set;
    int turned = 0;
    const bool saved = completes(files, [&] {
        CollectingMessageSink edgeWarnings; // say nothing about the points
        loadParameterFile(parameterFile, set, edgeWarnings);
        const std::vector<TSplinePkt> before = set.splines.points();
        turned = set.splines.setDirectionsFromNeighbours();
        const int n = set.splines.count();
        if (n < 2) {
            throw TrassolinError(displayPath(parameterFile) + " hat " +
                                 (n == 1 ? "nur 1 Spline-Punkt" : "keine Spline-Punkte") +
                                 "; Richtungen brauchen mindestens zwei");
        }
        if (turned == 0) {
            throw TrassolinError("Keiner der " + formatInteger(n) +
                                 " Spline-Punkte erhält eine Richtung: seine Nachbarn liegen "
                                 "senkrecht übereinander");
        }
        // Only the rotations that changed are written: every other line of the file stays as it
        // stands, and no section is added for a point that kept its rotation.
        IniFile ini = IniFile::readForUpdate(parameterFile);
        bool changed = false;
        for (int i = 0; i < n; ++i) {
            const TSplinePkt& p = *set.splines.get(i);
            const TSplinePkt& old = before[static_cast<std::size_t>(i)];
            if (p.Xrot == old.Xrot && p.Yrot == old.Yrot) continue;
            const std::string section = "SplinePts" + formatInteger(i + 1);
            ini.writeString(section, "Xrot", formatGeneral(p.Xrot, decimalSeparator));
            ini.writeString(section, "Yrot", formatGeneral(p.Yrot, decimalSeparator));
            changed = true;
        }
        if (changed) ini.save(parameterFile);
        return true;
    });
    if (!saved) return kStopped;
    const int n = set.splines.count();
    if (turned == n) {
        std::cout << "Richtungen von " << formatInteger(n) << " Spline-Punkten berechnet in "
                  << displayPath(parameterFile) << '\n';
    } else {
        std::cout << "Richtungen von " << formatInteger(turned) << " der " << formatInteger(n)
                  << " Spline-Punkte berechnet in " << displayPath(parameterFile) << "; "
                  << formatInteger(n - turned)
                  << " behalten ihre Drehung (ihre Nachbarn liegen senkrecht übereinander)\n";
    }
    return kComplete;
}

int generateCommand(const std::filesystem::path& parameterFile, const std::filesystem::path& output,
                    char decimalSeparator, bool writeTexL0, const std::filesystem::path& gltf) {
    // Writing a document over its own parameter file would destroy the input.
    if (sameFile(parameterFile, output)) {
        printError("Ausgabedatei und Parameterdatei sind dieselbe Datei: " + displayPath(output));
        return kUsage;
    }
    if (!gltf.empty() && sameFile(parameterFile, gltf)) {
        printError("glTF-Datei und Parameterdatei sind dieselbe Datei: " + displayPath(gltf));
        return kUsage;
    }
    if (!gltf.empty() && sameFile(output, gltf)) {
        printError("glTF-Datei und i3d-Datei sind dieselbe Datei: " + displayPath(gltf));
        return kUsage;
    }
    const CommandFiles files{parameterFile, output};
    ConsoleMessages messages(files);
    ParameterSet set; // as a freshly started window holds it
    RunSummary summary;
    // With --write-texl0 the parameter file is replaced together with the document: both are
    // written completely before either replaces its old file.
    std::unique_ptr<OutputFile> parameters;
    const auto prepareParameters = [&](std::string_view nextTexL0) {
        if (!writeTexL0 || !set.fahrbahnErzeugen) return;
        // Only this key changes, so consecutive roads continue their texture seamlessly.
        IniFile ini = IniFile::readForUpdate(parameterFile);
        ini.writeString("Fahrbahn_Textur", "TexL0", nextTexL0);
        parameters = ini.prepareSave(parameterFile);
    };
    const bool written = completes(files, [&] {
        loadParameterFile(parameterFile, set, messages);
        ConsoleStatusLog log;
        RandomSequence random;
        return runGeneration(set, output, messages, log, random, decimalSeparator,
                             {.summary = &summary, .beforeReplacing = prepareParameters,
                              .gltf = gltf});
    }, gltf);
    if (!written) return kStopped;

    if (parameters) {
        try {
            parameters->publish();
        } catch (const std::exception& e) {
            // Rare (the folder changed under us): the document is there, its TexL0 is not.
            printError("Dokument geschrieben, TexL0 nicht gespeichert: " +
                       describeFailure(e, {parameterFile, parameterFile}));
            return kDocumentOnly;
        }
    }
    std::cout << "Geschrieben: " << displayPath(output) << " – " << formatInteger(summary.vertices)
              << " Vertices, " << formatInteger(summary.triangles) << " Dreiecke, "
              << formatGeneral(decimalRound(summary.roadLength, -2), decimalSeparator)
              << " m Fahrbahn, Texturen: " << textureList(summary.textureFiles) << '\n';
    if (!gltf.empty()) std::cout << "Geschrieben: " << displayPath(gltf) << " – glTF 2.0\n";
    return kComplete;
}

} // namespace trassolin::cli
