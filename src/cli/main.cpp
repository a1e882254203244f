// trassolin-cli: the headless front end for batch work.

#include "commands.h"
#include "console.h"

#include "io/paths.h"
#include "output/gltf.h"
#include "terrain/footprint_mask.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"
#include "utf8_command_line.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace trassolin;
using namespace trassolin::cli;

constexpr const char* kExitCodes =
    "Rückgabewert: 0 vollständig geschrieben, 1 abgebrochen (die Zieldatei bleibt, wie sie war),\n"
    "              2 Aufruffehler, 3 Dokument geschrieben, TexL0 aber nicht gespeichert\n"
    "              (nur generate, beim Zurückschreiben von TexL0); gelaende gibt 1 auch,\n"
    "              wenn die Straße die Toleranz überschreitet (seine Dateien sind dann\n"
    "              geschrieben).";
constexpr const char* kCheckExitCodes =
    "Rückgabewert: 0 keine Befunde, 1 Befunde (oder die Straße ließ sich nicht bauen),\n"
    "              2 Aufruffehler.";

// What the command line asked for.
struct Request {
    std::string parameterFile, exportFile, output;
    std::string separator; // empty: the one of the environment
    std::string gltf;      // generate --gltf: empty when not asked
    bool writeTexL0 = false;
    bool writeTexL0BeforeCommand = false;
    bool directions = false;
    // gelaende
    std::string mapFile, heightMap, heightScale, unitsPerPixel, offset;
    bool placePoints = false;
    std::string tolerance, csv, flattened, falloff, depth, mask, maskSize;
};

// A command line that does not fit: exit status 2, one line and where to find help.
struct UsageError {
    std::string text;
    std::string helpFor; // the command whose help fits, empty for the general one
};

std::shared_ptr<CLI::Formatter> germanFormatter() {
    auto formatter = std::make_shared<CLI::Formatter>();
    formatter->label("Usage", "Aufruf");
    formatter->label("OPTIONS", "OPTIONEN");
    formatter->label("SUBCOMMAND", "BEFEHL");
    formatter->label("Positionals", "Argumente");
    formatter->label("REQUIRED", "");
    formatter->column_width(28);
    return formatter;
}

CLI::Validator separatorValidator() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            if (value == "," || value == ".") return {};
            return "erwartet ',' oder '.', nicht '" + value + "'";
        },
        "", "");
}

CLI::Validator gltfNameValidator() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            if (gltfFormFor(pathFromUtf8(value))) return {};
            return "erwartet eine Datei auf .glb oder .gltf, nicht '" + value + "'";
        },
        "", "");
}

void addSeparatorOption(CLI::App& app, Request& request) {
    app.add_option("--decimal-separator", request.separator,
                   "Dezimaltrennzeichen für Parameterdateien, Meldungen und Randpunkt-Listen\n"
                   "(Vorgabe: das der Umgebung, aus LC_ALL, LC_NUMERIC oder LANG);\n"
                   "i3d-Dateien immer mit Punkt")
        ->type_name(",|.")
        ->check(separatorValidator());
}

// Every command writes numbers as text, so every command takes the separator.
CLI::App* addCommand(CLI::App& app, Request& request, const char* name, const char* description,
                     const std::string& example, const char* exitCodes = kExitCodes) {
    CLI::App* command = app.add_subcommand(name, description);
    command->group("Befehle");
    command->get_help_ptr()->group("Optionen");
    command->footer("Beispiel:\n  " + example + "\n\n" + exitCodes);
    addSeparatorOption(*command, request);
    return command;
}

void addFileArgument(CLI::App& command, const char* name, std::string& target,
                     const char* description) {
    command.add_option(name, target, description)->required()->type_name("");
}

// The words a command expects, as the usage line of its help shows them.
std::string expectedArguments(const CLI::App& command) {
    std::string words;
    for (const CLI::Option* option : command.get_options()) {
        if (!option->get_positional()) continue;
        words += ' ' + option->get_name();
    }
    return command.get_name() + " erwartet" + words;
}

// Arguments nobody took: unknown options, surplus files, unknown commands. The "--" that
// ends the options is no argument.
std::vector<std::string> leftOver(const CLI::App& app) {
    std::vector<std::string> words = app.remaining();
    std::erase(words, "--");
    return words;
}

// A file whose name begins with "-" reads as an option; the way out is "--".
std::string dashHint(const CLI::App& command, const std::string& word) {
    std::string words;
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_positional()) words += ' ' + option->get_name();
    }
    return "; für einen Dateinamen, der mit - beginnt ('" + word + "'), erst -- angeben: " +
           command.get_name() + " --" + words;
}

// A word of the command that reads as an option but may be meant as a file: one that the
// command still lacks, or one with a dot or a slash, as file names have.
std::string fileLikeOption(const CLI::App& command, bool filesMissing) {
    for (const std::string& word : leftOver(command)) {
        if (!word.starts_with("-") || word.size() < 2) continue;
        if (filesMissing || word.find_first_of("./\\") != std::string::npos) return word;
    }
    return {};
}

void checkLeftOver(const CLI::App& app, const CLI::App* command) {
    for (const std::string& word : leftOver(app)) {
        if (word.starts_with("-")) throw UsageError{"unbekannte Option '" + word + "'", ""};
        throw UsageError{"unbekannter Befehl '" + word + "'", ""};
    }
    if (!command) return;
    for (const std::string& word : leftOver(*command)) {
        const std::string name = command->get_name();
        if (word.starts_with("-")) {
            const std::string hint =
                fileLikeOption(*command, false) == word ? dashHint(*command, word) : "";
            throw UsageError{name + " kennt die Option '" + word + "' nicht" + hint, name};
        }
        throw UsageError{expectedArguments(*command) + ", nicht mehr ('" + word + "')", name};
    }
}

// A number option as every reader of the tool takes numbers: decimal comma or point.
double realOption(const std::string& option, const std::string& value, const CLI::App& command) {
    try {
        return parseTolerantReal(value);
    } catch (const ConversionError& e) {
        throw UsageError{option + ": " + e.what(), command.get_name()};
    }
}

// A length in metres, not negative and at most `most`.
double lengthOption(const std::string& option, const std::string& value, const CLI::App& command,
                    double most = std::numeric_limits<double>::infinity()) {
    const double v = realOption(option, value, command);
    if (v < 0.0) throw UsageError{option + ": " + value + " ist negativ", command.get_name()};
    if (v > most) {
        throw UsageError{option + ": " + value + " ist mehr als " + formatGeneral(most, ',') + " m",
                         command.get_name()};
    }
    return v;
}

TerrainRequest terrainRequest(const Request& request, const CLI::App& command) {
    const auto given = [&](const char* option) { return command.count(option) > 0; };
    const std::string name = command.get_name();
    const auto onlyWith = [&](const char* option, const char* needed) {
        if (given(option) && !given(needed)) {
            throw UsageError{std::string(option) + " gilt nur mit " + needed, name};
        }
    };
    TerrainRequest t;
    t.parameterFile = pathFromUtf8(request.parameterFile);
    if (given("--dem")) {
        if (!request.mapFile.empty()) {
            throw UsageError{"KARTE.i3d und --dem schließen einander aus", name};
        }
        if (!given("--hoehenskala") || !given("--einheiten-pro-pixel")) {
            throw UsageError{"--dem braucht --hoehenskala und --einheiten-pro-pixel", name};
        }
        t.ground.heightMap = pathFromUtf8(request.heightMap);
        t.ground.placement.heightScale = realOption("--hoehenskala", request.heightScale, command);
        t.ground.placement.unitsPerPixel =
            realOption("--einheiten-pro-pixel", request.unitsPerPixel, command);
    } else {
        if (request.mapFile.empty()) {
            throw UsageError{name + " erwartet PARAMETER.ini KARTE.i3d (oder --dem DATEI.png)",
                             name};
        }
        if (given("--hoehenskala") || given("--einheiten-pro-pixel")) {
            throw UsageError{"--hoehenskala und --einheiten-pro-pixel gelten nur mit --dem "
                             "(sonst stehen sie in der Karte)",
                             name};
        }
        t.ground.mapFile = pathFromUtf8(request.mapFile);
    }
    t.placePoints = request.placePoints;
    onlyWith("--versatz", "--auf-gelaende");
    if (given("--versatz")) t.offset = realOption("--versatz", request.offset, command);
    if (given("--toleranz")) {
        t.tolerance = lengthOption("--toleranz", request.tolerance, command);
    }

    // The files written, each a new name: none may replace what the command reads, nor another.
    std::vector<std::pair<const char*, std::filesystem::path>> outputs;
    for (const auto& [option, value, target] :
         {std::tuple{"--csv", &request.csv, &t.csv},
          std::tuple{"--dem-ausgabe", &request.flattened, &t.flattened},
          std::tuple{"--maske-ausgabe", &request.mask, &t.mask}}) {
        if (!given(option)) continue;
        if (value->empty()) throw UsageError{std::string("leerer Dateiname für ") + option, name};
        *target = pathFromUtf8(*value);
        outputs.emplace_back(option, *target);
    }
    const std::pair<const char*, std::filesystem::path> inputs[] = {
        {"die Parameterdatei", t.parameterFile},
        {"die Karte", t.ground.mapFile},
        {"die Höhenkarte", t.ground.heightMap}};
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const auto& [option, file] = outputs[i];
        for (const auto& [what, input] : inputs) {
            if (!input.empty() && sameFile(file, input)) {
                throw UsageError{std::string(option) + " " + displayPath(file) + " ist " + what +
                                     "; bitte eine neue Datei wählen",
                                 name};
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (sameFile(file, outputs[j].second)) {
                throw UsageError{std::string(outputs[j].first) + " und " + option +
                                     " nennen dieselbe Datei " + displayPath(file),
                                 name};
            }
        }
    }

    onlyWith("--uebergang", "--dem-ausgabe");
    onlyWith("--tiefe", "--dem-ausgabe");
    if (given("--uebergang")) {
        t.flatten.falloff = lengthOption("--uebergang", request.falloff, command, kMaxFalloff);
    }
    if (given("--tiefe"))
        t.flatten.depth = lengthOption("--tiefe", request.depth, command, kMaxDepth);
    onlyWith("--maske-groesse", "--maske-ausgabe");
    if (given("--maske-groesse")) {
        std::int32_t size = 0;
        try {
            size = parseStrictInteger(request.maskSize);
        } catch (const ConversionError& e) {
            throw UsageError{std::string("--maske-groesse: ") + e.what(), name};
        }
        if (size < 1 || size > kMaxMaskSize) {
            throw UsageError{"--maske-groesse: " + request.maskSize +
                                 " liegt nicht zwischen 1 und " + formatInteger(kMaxMaskSize) +
                                 " Pixeln",
                             name};
        }
        t.maskSize = size;
    }
    return t;
}

// An empty argument names no file: "" as the output would fail only after the whole run.
void checkFileNames(const CLI::App& command) {
    for (const CLI::Option* option : command.get_options()) {
        if (!option->get_positional()) continue;
        for (const std::string& value : option->results()) {
            if (value.empty()) {
                throw UsageError{"leerer Dateiname für " + option->get_name(), command.get_name()};
            }
        }
    }
}

const CLI::App* chosenCommand(const CLI::App& app) {
    const auto chosen = app.get_subcommands();
    return chosen.empty() ? nullptr : chosen.front();
}

// CLI11's own texts are English; the tool speaks German.
UsageError translated(const CLI::ParseError& error, const CLI::App& app) {
    const CLI::App* command = chosenCommand(app);
    const std::string helpFor = command ? command->get_name() : "";
    const std::string what = error.what();
    if (dynamic_cast<const CLI::RequiredError*>(&error) && command) {
        const std::string word = fileLikeOption(*command, true);
        return {expectedArguments(*command) + (word.empty() ? "" : dashHint(*command, word)),
                helpFor};
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
        const std::string option = what.substr(0, what.find(':'));
        if (what.find(": At Most ") != std::string::npos) {
            return {option + " ist mehrfach angegeben; einmal genügt", helpFor};
        }
        return {option + " ohne Wert", helpFor};
    }
    if (dynamic_cast<const CLI::ValidationError*>(&error)) return {what, helpFor};
    return {"ungültiger Aufruf (" + what + ")", helpFor};
}

int run(int argc, char** argv) {
    Request request;
    CLI::App app{"trassolin-cli – Straßen für GIANTS-Szenen aus einer Parameterdatei erzeugen",
                 "trassolin-cli"};
    app.formatter(germanFormatter());
    app.option_defaults()->group("Optionen");
    app.set_help_flag("-h,--help", "diese Hilfe anzeigen");
    app.set_version_flag("--version", std::string("trassolin-cli ") + TRASSOLIN_VERSION,
                         "Versionsnummer anzeigen");
    app.allow_extras();
    app.require_subcommand(0, 1);
    app.footer("Beispiele:\n"
               "  trassolin-cli init meine-strasse.ini\n"
               "  trassolin-cli import-splines --richtungen export.i3d meine-strasse.ini\n"
               "  trassolin-cli generate meine-strasse.ini meine-strasse.i3d\n"
               "  trassolin-cli generate --gltf meine-strasse.glb meine-strasse.ini meine-strasse.i3d\n"
               "  trassolin-cli pruefen meine-strasse.ini\n"
               "  trassolin-cli gelaende meine-strasse.ini karte.i3d\n\n"
               "Die Optionen eines Befehls zeigt: trassolin-cli BEFEHL --help\n\n" +
               std::string(kExitCodes));
    // Earlier versions took the options before the command; scripts written for them still work.
    app.add_option("--decimal-separator", request.separator)
        ->check(separatorValidator())
        ->group("");
    app.add_flag("--write-texl0", request.writeTexL0BeforeCommand)->group("");

    CLI::App* init =
        addCommand(app, request, "init", "eine Parameterdatei mit den Startwerten anlegen",
                   "trassolin-cli init meine-strasse.ini");
    addFileArgument(*init, "PARAMETER.ini", request.parameterFile,
                    "die neue Parameterdatei; eine vorhandene Datei wird nie überschrieben");

    CLI::App* import =
        addCommand(app, request, "import-splines",
                   "Spline-Punkte aus einer i3d-Exportdatei in die Parameterdatei übernehmen",
                   "trassolin-cli import-splines export.i3d meine-strasse.ini");
    addFileArgument(*import, "EXPORT.i3d", request.exportFile,
                    "die i3d-Datei, in die der GIANTS-Editor die Spline-Punkte exportiert hat");
    addFileArgument(*import, "PARAMETER.ini", request.parameterFile,
                    "die Parameterdatei; fehlt sie, wird sie mit den Startwerten angelegt");
    import->add_flag("--richtungen", request.directions,
                     "danach Yrot und Xrot jedes Punktes aus seinen Nachbarn berechnen\n"
                     "(für Punkte, die im Editor nicht ausgerichtet wurden)");

    CLI::App* directions = addCommand(
        app, request, "richtungen",
        "Yrot und Xrot aller Spline-Punkte der Parameterdatei aus ihren Nachbarn\n"
        "berechnen: die Straße läuft dann an jedem Punkt entlang der Verbindung\n"
        "von Vorgänger zu Nachfolger; Zrot bleibt",
        "trassolin-cli richtungen meine-strasse.ini");
    addFileArgument(*directions, "PARAMETER.ini", request.parameterFile, "die Parameterdatei");

    CLI::App* generate =
        addCommand(app, request, "generate",
                   "die Straße aus der Parameterdatei erzeugen und als i3d-Datei schreiben;\n"
                   "das Statusprotokoll geht nach stdout, Meldungen nach stderr",
                   "trassolin-cli generate meine-strasse.ini meine-strasse.i3d");
    addFileArgument(*generate, "PARAMETER.ini", request.parameterFile, "die Parameterdatei");
    addFileArgument(*generate, "AUSGABE.i3d", request.output,
                    "die i3d-Datei; eine vorhandene wird erst ersetzt, wenn die neue\n"
                    "vollständig ist");
    generate
        ->add_option("--gltf", request.gltf,
                     "die Straße zusätzlich als glTF 2.0 schreiben: DATEI.glb (binär) oder\n"
                     "DATEI.gltf (Text); beide Dateien werden erst ersetzt, wenn beide\n"
                     "vollständig sind")
        ->type_name("DATEI")
        ->check(gltfNameValidator());
    generate->add_flag("--write-texl0", request.writeTexL0,
                       "danach den TexL0-Wert für die nächste Straße in die Parameterdatei\n"
                       "schreiben, damit sie die Textur nahtlos fortsetzt");

    CLI::App* check = addCommand(
        app, request, "pruefen",
        "die Straße im Speicher bauen und ihre Verkehrskurven prüfen, wie das Spiel sie\n"
        "fährt: Abstand zur Fahrbahn über 0,45 m, Radien unter [KI] MaxWenderadius\n"
        "(sonst 20 m), Kurven neben der Fahrbahn; schreibt nichts",
        "trassolin-cli pruefen meine-strasse.ini", kCheckExitCodes);
    addFileArgument(*check, "PARAMETER.ini", request.parameterFile, "die Parameterdatei");
    CLI::App* terrain = addCommand(
        app, request, "gelaende",
        "die Straße mit dem Gelände der Karte vergleichen (der Höhenkarte, die ihr\n"
        "TerrainTransformGroup nennt): wo sie schwebt oder einsinkt; auf Wunsch die\n"
        "Spline-Punkte daraufsetzen, eine angepasste Höhenkarte und eine Maske\n"
        "der Straße schreiben. Alle Dateien werden erst ersetzt, wenn alle\n"
        "vollständig sind",
        "trassolin-cli gelaende --dem-ausgabe map_dem_neu.png meine-strasse.ini karte.i3d");
    addFileArgument(*terrain, "PARAMETER.ini", request.parameterFile, "die Parameterdatei");
    terrain->add_option("KARTE.i3d", request.mapFile, "die i3d-Datei der Karte (nicht mit --dem)")
        ->type_name("");
    terrain->add_option("--dem", request.heightMap,
                        "statt der Karte ihre Höhenkarte (16-Bit-Graustufen-PNG);\n"
                        "dann mit --hoehenskala und --einheiten-pro-pixel")
        ->type_name("DATEI.png");
    terrain->add_option("--hoehenskala", request.heightScale,
                        "m Höhe des größten Pixelwerts (heightScale der Karte)")
        ->type_name("H");
    terrain->add_option("--einheiten-pro-pixel", request.unitsPerPixel,
                        "m zwischen benachbarten Pixeln (unitsPerPixel der Karte)")
        ->type_name("U");
    terrain
        ->add_option("--toleranz", request.tolerance,
                     "m, so weit Fahrbahnränder und Randenden über oder unter dem\n"
                     "Gelände liegen dürfen; darüber Rückgabewert 1 (Vorgabe 0,1)")
        ->type_name("M");
    terrain
        ->add_option("--csv", request.csv,
                     "die Höhen über dem Gelände an jeder Station als CSV-Datei")
        ->type_name("DATEI.csv");
    terrain
        ->add_option("--dem-ausgabe", request.flattened,
                     "eine Kopie der Höhenkarte schreiben, in der das Gelände unter der\n"
                     "Straße und ihren Rändern auf deren Höhe liegt; Pixel außerhalb\n"
                     "des Übergangs bleiben, wie sie sind")
        ->type_name("NEU.png");
    terrain
        ->add_option("--uebergang", request.falloff,
                     "m neben der Straße, über die das Gelände zu seiner eigenen Höhe\n"
                     "zurückkehrt, mit --dem-ausgabe (Vorgabe 5)")
        ->type_name("M");
    terrain
        ->add_option("--tiefe", request.depth,
                     "m, die das Gelände unter der Straße bleibt, mit --dem-ausgabe\n"
                     "(Vorgabe 0,02)")
        ->type_name("M");
    terrain
        ->add_option("--maske-ausgabe", request.mask,
                     "eine 8-Bit-Maske der Straße schreiben: 255 unter der Fahrbahn, 128\n"
                     "unter den Rändern, sonst 0 (zum Malen von Bodentexturen und Bewuchs)")
        ->type_name("BILD.png");
    terrain
        ->add_option("--maske-groesse", request.maskSize,
                     "Pixel je Seite der Maske, mit --maske-ausgabe (Vorgabe: wie die\n"
                     "Höhenkarte, Pixel auf Pixel)")
        ->type_name("N");
    terrain->add_flag("--auf-gelaende", request.placePoints,
                      "Y jedes Spline-Punkts auf die Geländehöhe darunter setzen und die\n"
                      "Parameterdatei speichern (nur die Y-Zeilen ändern sich); der\n"
                      "Vergleich gilt dann der Straße auf den neuen Höhen");
    terrain
        ->add_option("--versatz", request.offset,
                     "m über dem Gelände, mit --auf-gelaende (Vorgabe 0)")
        ->type_name("M");

    try {
        try {
            app.parse(argc, argv);
        } catch (const CLI::CallForHelp& e) {
            return app.exit(e);
        } catch (const CLI::CallForVersion& e) {
            return app.exit(e);
        } catch (const CLI::ParseError& e) {
            throw translated(e, app);
        }
        const CLI::App* command = chosenCommand(app);
        checkLeftOver(app, command);
        if (!command) throw UsageError{"kein Befehl angegeben", ""};
        checkFileNames(*command);
        if (request.writeTexL0BeforeCommand) {
            if (command != generate) {
                throw UsageError{"--write-texl0 gilt nur für generate", command->get_name()};
            }
            request.writeTexL0 = true;
        }
        const char separator =
            request.separator.empty() ? environmentDecimalSeparator() : request.separator.front();
        // Arguments are UTF-8 on every system; a path made from a plain string would take
        // them in the ANSI code page on Windows.
        const auto parameterFile = pathFromUtf8(request.parameterFile);
        if (command == init) return initCommand(parameterFile, separator);
        if (command == import) {
            return importSplinesCommand(pathFromUtf8(request.exportFile), parameterFile, separator,
                                        request.directions);
        }
        if (command == directions) return directionsCommand(parameterFile, separator);
        if (command == check) return checkCommand(parameterFile, separator);
        if (command == terrain) return terrainCommand(terrainRequest(request, *terrain), separator);
        return generateCommand(parameterFile, pathFromUtf8(request.output), separator,
                               request.writeTexL0, pathFromUtf8(request.gltf));
    } catch (const UsageError& e) {
        printError(e.text);
        std::cerr << "Hilfe: trassolin-cli " << (e.helpFor.empty() ? "" : e.helpFor + " ")
                  << "--help\n";
        return kUsage;
    }
}

} // namespace

int main(int argc, char** argv) {
    trassolin::Utf8CommandLine utf8(argc, argv); // Windows: the UTF-16 command line
    try {
        return run(utf8.argc(), utf8.argv());
    } catch (const std::bad_alloc&) {
        printError(kOutOfMemory);
        return kStopped;
    } catch (const std::exception& e) {
        // Whatever escaped the commands' own reporting: still a stop, never a crash.
        printError(e.what());
        return kStopped;
    }
}
