#pragma once

// The text of a failure with the context that its exception carries beyond its own words:
// the file, section and key (or line) of a value that is no number, the path of a file that
// cannot be opened or written, and a folder that is missing. The command line and the window
// say the same.

#include <exception>
#include <filesystem>
#include <string>

namespace trassolin {

// `fieldsFile` is the parameter file that a run's fields came from: a value that is no number
// in a run names its section and key but no file.
std::string describeFailure(const std::exception& error,
                            const std::filesystem::path& fieldsFile = {});

} // namespace trassolin
