#include "console.h"

#include "settings/failure_text.h"

#include <iostream>

namespace trassolin::cli {

std::string describeFailure(const std::exception& error, const CommandFiles& files) {
    // A run's fields come from the parameter file it loaded.
    return trassolin::describeFailure(error, files.parameterFile);
}

void printError(std::string_view text) {
    std::cerr << "Fehler: " << text << '\n';
}

void ConsoleMessages::show(MessageKind kind, std::string_view text) {
    switch (kind) {
    case MessageKind::Information:
        std::cerr << "Information: " << text << '\n';
        break;
    case MessageKind::Warning:
        std::cerr << "Warnung: " << text << '\n';
        break;
    case MessageKind::Error:
        printError(text);
        break;
    }
}

void ConsoleMessages::showError(const TrassolinError& error) {
    printError(describeFailure(error, files_));
}

void ConsoleStatusLog::append(std::string_view line) {
    std::cout << line << '\n';
}

} // namespace trassolin::cli
