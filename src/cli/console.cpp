#include "console.h"

#include "io/paths.h"
#include "uGlobal/numbers.h"
#include "uGlobal/errors.h"

#include <iostream>
#include <system_error>

namespace trassolin::cli {

namespace {

// The reason behind "Ungültiger Dateiname" that a user can act on: the folder is missing or
// is no folder. Empty when the folder is fine or cannot be examined.
std::string folderProblem(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path();
    if (folder.empty()) return {};
    std::error_code ec;
    const auto type = std::filesystem::status(folder, ec).type();
    if (type == std::filesystem::file_type::not_found) {
        return " – der Ordner " + displayPath(folder) + " existiert nicht";
    }
    if (!ec && type != std::filesystem::file_type::directory) {
        return " – " + displayPath(folder) + " ist kein Ordner";
    }
    return {};
}

} // namespace

std::string describeFailure(const std::exception& error, const CommandFiles& files) {
    std::string text = error.what();
    if (const auto* conversion = dynamic_cast<const ConversionError*>(&error)) {
        const ValueLocation& at = conversion->where;
        if (!at.key.empty()) {
            // A run's fields come from the parameter file it loaded.
            const auto& file = at.file.empty() ? files.parameterFile : at.file;
            return displayPath(file) + " [" + at.section + "] " + at.key + ": " + text;
        }
        if (at.line > 0) {
            return displayPath(at.file) + " Zeile " + formatInteger(at.line) + ": " + text;
        }
        return text;
    }
    if (const auto* io = dynamic_cast<const IoError*>(&error); io && !io->file().empty()) {
        const std::string name = displayPath(io->file());
        if (text.find(name) == std::string::npos) text += ": " + name;
        text += folderProblem(io->file());
    }
    return text;
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
