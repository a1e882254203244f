#pragma once

// How the command line talks to its user: the status log on stdout, every message box of the
// window as one line on stderr, with the files involved named where the window leaves them out.

#include "uGlobal/messages.h"

#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

namespace trassolin::cli {

// The files a command works on, for the context its messages get.
struct CommandFiles {
    std::filesystem::path parameterFile; // read or written; names the file of a run's fields
    std::filesystem::path target;        // the file the command writes
};

// The text of a failure with what the command line knows beyond the window: the file,
// section and key (or line) of a value that is no number, the path of a file that cannot be
// opened, and a folder that is missing.
std::string describeFailure(const std::exception& error, const CommandFiles& files);

bool fileExists(const std::filesystem::path& file);

// What a stop left of a target: "X bleibt unverändert" or "X wurde nicht angelegt".
std::string leftAsItWas(const std::filesystem::path& target, bool existed);

// "Fehler: " and the text, on stderr.
void printError(std::string_view text);

class ConsoleMessages final : public MessageSink {
public:
    explicit ConsoleMessages(CommandFiles files) : files_(std::move(files)) {}
    void show(MessageKind kind, std::string_view text) override;
    void showError(const TrassolinError& error) override;

private:
    CommandFiles files_;
};

// The run's status log goes to stdout, one line per entry.
class ConsoleStatusLog final : public StatusLog {
public:
    void clear() override {}
    void append(std::string_view line) override;
};

} // namespace trassolin::cli
