#include "settings/failure_text.h"

#include "io/paths.h"
#include "uGlobal/numbers.h"
#include "uGlobal/errors.h"

#include <system_error>

namespace trassolin {

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

std::string describeFailure(const std::exception& error, const std::filesystem::path& fieldsFile) {
    std::string text = error.what();
    if (const auto* conversion = dynamic_cast<const ConversionError*>(&error)) {
        const ValueLocation& at = conversion->where;
        if (!at.key.empty()) {
            const auto& file = at.file.empty() ? fieldsFile : at.file;
            return (file.empty() ? std::string() : displayPath(file) + " ") + "[" + at.section +
                   "] " + at.key + ": " + text;
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

} // namespace trassolin
