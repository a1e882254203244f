// trassolin-cli: the headless front end for batch work.

#include "generation/random_sequence.h"
#include "generation/run.h"
#include "settings/ini_file.h"
#include "settings/parameter_file.h"
#include "settings/parameter_set.h"
#include "uGlobal/errors.h"
#include "uGlobal/messages.h"
#include "uGlobal/numbers.h"
#include "utf8_command_line.h"

#include <filesystem>
#include <iostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

using namespace trassolin;

// A command line that does not fit any command: exit status 2 with the usage text.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ConsoleMessages final : public MessageSink {
public:
    void show(MessageKind kind, std::string_view text) override {
        switch (kind) {
        case MessageKind::Information:
            std::cerr << "Information: ";
            break;
        case MessageKind::Warning:
            std::cerr << "Warnung: ";
            break;
        case MessageKind::Error:
            std::cerr << "Fehler: ";
            break;
        }
        std::cerr << text << '\n';
    }
};

// The run's status log goes to stdout, one line per entry.
class ConsoleStatusLog final : public StatusLog {
public:
    void clear() override {}
    void append(std::string_view line) override { std::cout << line << '\n'; }
};

struct Invocation {
    std::vector<std::string> arguments; // after the command name
    char decimalSeparator = '.';
    bool writeTexL0 = false;
    ConsoleMessages messages;
};

bool fileExists(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::exists(file, ec);
}

int initCommand(Invocation& call) {
    const std::filesystem::path file = pathFromUtf8(call.arguments[0]);
    // A typing slip must not wipe out a tuned parameter file.
    if (fileExists(file)) throw IoError("Die Datei " + displayPath(file) + " existiert bereits");
    saveParameterFile(file, ParameterSet{}, call.decimalSeparator);
    std::cout << "Parameterdatei " << call.arguments[0] << " angelegt\n";
    return 0;
}

int importSplinesCommand(Invocation& call) {
    const std::filesystem::path exportFile = pathFromUtf8(call.arguments[0]);
    const std::filesystem::path parameterFile = pathFromUtf8(call.arguments[1]);
    ParameterSet set;
    if (fileExists(parameterFile)) loadParameterFile(parameterFile, set, call.messages);
    set.splines.importFromI3d(exportFile);
    // The parameter file records where the points came from, wherever it is opened later.
    set.splines.setFileName(displayPath(std::filesystem::absolute(exportFile)));
    saveParameterFile(parameterFile, set, call.decimalSeparator);
    std::cout << formatInteger(set.splines.count()) << " Spline-Punkte importiert aus "
              << call.arguments[0] << '\n';
    return 0;
}

int generateCommand(Invocation& call) {
    const std::filesystem::path parameterFile = pathFromUtf8(call.arguments[0]);
    const std::filesystem::path output = pathFromUtf8(call.arguments[1]);
    ParameterSet set; // as a freshly started window holds it
    loadParameterFile(parameterFile, set, call.messages);
    ConsoleStatusLog log;
    RandomSequence random;
    if (!runGeneration(set, output, call.messages, log, random, call.decimalSeparator)) return 1;
    if (call.writeTexL0 && set.fahrbahnErzeugen) {
        // Only this key changes, so consecutive roads continue their texture seamlessly.
        IniFile ini = IniFile::readForUpdate(parameterFile);
        ini.writeString("Fahrbahn_Textur", "TexL0", set.texL0);
        ini.save(parameterFile);
    }
    return 0;
}

struct Command {
    std::string_view name;
    std::string_view arguments; // as shown in the usage text; one word per argument
    std::string_view description;
    int (*run)(Invocation&);
};

constexpr Command kCommands[] = {
    {"init", "PARAMETER.ini", "eine Parameterdatei mit den Startwerten anlegen", initCommand},
    {"import-splines", "EXPORT.i3d PARAMETER.ini",
     "Spline-Punkte aus einer exportierten i3d-Datei in die Parameterdatei übernehmen\n"
     "      (fehlt die Parameterdatei, wird sie mit den Startwerten angelegt)",
     importSplinesCommand},
    {"generate", "PARAMETER.ini AUSGABE.i3d",
     "die Straße aus der Parameterdatei erzeugen und als i3d-Datei schreiben;\n"
     "      das Statusprotokoll geht nach stdout, Meldungen nach stderr\n"
     "      (Rückgabewert 0: Datei vollständig geschrieben, 1: Lauf abgebrochen)",
     generateCommand},
};

std::size_t argumentCount(const Command& command) {
    std::size_t count = 0;
    bool inWord = false;
    for (char c : command.arguments) {
        if (c != ' ' && !inWord) ++count;
        inWord = c != ' ';
    }
    return count;
}

std::string usage() {
    std::string text = "Aufruf: trassolin-cli [OPTIONEN] BEFEHL [ARGUMENTE]\n\nBefehle:\n";
    for (const Command& command : kCommands) {
        text += "  ";
        text += command.name;
        text += ' ';
        text += command.arguments;
        text += "\n      ";
        text += command.description;
        text += '\n';
    }
    text += "\nOptionen:\n"
            "  --decimal-separator ,|.  Dezimaltrennzeichen für Parameterdateien, Meldungen und\n"
            "                           Randpunkt-Listen (Vorgabe: das der Umgebung, aus LC_ALL,\n"
            "                           LC_NUMERIC oder LANG); i3d-Dateien immer mit Punkt\n"
            "  --write-texl0            nach generate den TexL0-Wert für die nächste Straße\n"
            "                           in die Parameterdatei schreiben\n"
            "  --help                   diese Hilfe anzeigen\n"
            "  --version                Versionsnummer anzeigen\n";
    return text;
}

char parseSeparator(std::string_view value) {
    if (value == "," || value == ".") return value.front();
    throw UsageError("--decimal-separator erwartet ',' oder '.', nicht '" + std::string(value) +
                     "'");
}

int run(std::span<char*> args) {
    std::vector<std::string> positional;
    char separator = 0;
    bool writeTexL0 = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << usage();
            return 0;
        }
        if (arg == "--version") {
            std::cout << "trassolin-cli " << TRASSOLIN_VERSION << '\n';
            return 0;
        }
        if (arg == "--decimal-separator") {
            if (i + 1 == args.size()) throw UsageError("--decimal-separator ohne Wert");
            separator = parseSeparator(args[++i]);
        } else if (arg.starts_with("--decimal-separator=")) {
            separator = parseSeparator(arg.substr(arg.find('=') + 1));
        } else if (arg == "--write-texl0") {
            writeTexL0 = true;
        } else if (arg.starts_with("--")) {
            throw UsageError("unbekannte Option '" + std::string(arg) + "'");
        } else {
            positional.emplace_back(arg);
        }
    }
    if (positional.empty()) throw UsageError("kein Befehl angegeben");

    for (const Command& command : kCommands) {
        if (positional.front() != command.name) continue;
        Invocation call;
        call.arguments.assign(positional.begin() + 1, positional.end());
        if (call.arguments.size() != argumentCount(command)) {
            throw UsageError(std::string(command.name) + " erwartet " +
                             std::string(command.arguments));
        }
        call.decimalSeparator = separator != 0 ? separator : environmentDecimalSeparator();
        call.writeTexL0 = writeTexL0;
        return command.run(call);
    }
    throw UsageError("unbekannter Befehl '" + positional.front() + "'");
}

} // namespace

int main(int argc, char** argv) {
    trassolin::Utf8CommandLine utf8(argc, argv); // Windows: the UTF-16 command line
    argc = utf8.argc();
    argv = utf8.argv();
    try {
        return run(std::span<char*>(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)));
    } catch (const UsageError& e) {
        std::cerr << "Fehler: " << e.what() << "\n\n" << usage();
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "Fehler: " << e.what() << '\n';
        return 1;
    }
}
