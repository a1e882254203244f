// trassolin-cli: the headless front end for batch work.

#include "commands.h"
#include "console.h"

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"
#include "io/paths.h"
#include "output/gltf.h"
#include "utf8_command_line.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

using namespace trassolin;
using namespace trassolin::cli;

constexpr const char* kExitCodes =
    "Rückgabewert: 0 vollständig geschrieben, 1 abgebrochen (die Zieldatei bleibt, wie sie war),\n"
    "              2 Aufruffehler, 3 Dokument geschrieben, TexL0 aber nicht gespeichert\n"
    "              (nur generate, beim Zurückschreiben von TexL0).";

// What the command line asked for.
struct Request {
    std::string parameterFile, exportFile, output;
    std::string separator; // empty: the one of the environment
    std::string gltf;      // generate --gltf: empty when not asked
    bool writeTexL0 = false;
    bool writeTexL0BeforeCommand = false;
    bool directions = false;
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
                     const std::string& example) {
    CLI::App* command = app.add_subcommand(name, description);
    command->group("Befehle");
    command->get_help_ptr()->group("Optionen");
    command->footer("Beispiel:\n  " + example + "\n\n" + kExitCodes);
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
               "  trassolin-cli generate --gltf meine-strasse.glb meine-strasse.ini meine-strasse.i3d\n\n"
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
