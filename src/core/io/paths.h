#pragma once

// Paths as the user names them and as messages show them. Ground floor: every module that
// names a file may include this; it includes nothing of the project.

#include <filesystem>
#include <string>
#include <string_view>

namespace trassolin {

// A path as the messages name it (UTF-8).
std::string displayPath(const std::filesystem::path& file);
// The path that a UTF-8 text names, such as a command line argument. A path built from a
// plain std::string would take it in the ANSI code page on Windows.
std::filesystem::path pathFromUtf8(std::string_view text);

// One file under two names: "./P.ini" and "P.ini", a symbolic or a hard link; names of files
// that do not exist yet are one file when they lead to the same place.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

} // namespace trassolin
