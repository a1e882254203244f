// trassolin-cli: the headless front end for batch work.

#include <iostream>
#include <string_view>

namespace {

constexpr std::string_view kUsage =
    "Aufruf: trassolin-cli BEFEHL [ARGUMENTE]\n"
    "\n"
    "Befehle:\n"
    "  --help      diese Hilfe anzeigen\n"
    "  --version   Versionsnummer anzeigen\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string_view command = argv[1];
    if (command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "--version") {
        std::cout << "trassolin-cli " << TRASSOLIN_VERSION << '\n';
        return 0;
    }
    std::cerr << "Fehler: unbekannter Befehl '" << command << "'\n\n" << kUsage;
    return 2;
}
