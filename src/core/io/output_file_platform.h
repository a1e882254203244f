#pragma once

// What OutputFile needs of the system beyond the standard library: checking that a target can
// be replaced, the temporary file beside it and the durable replace. One implementation per
// system: output_file_posix.cpp and output_file_windows.cpp.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace trassolin::detail {

// The words ioErrorText gives every system's error numbers.
inline constexpr const char* kAccessDenied = "Dateizugriff verweigert";
inline constexpr const char* kInvalidFileName = "Ungültiger Dateiname";
inline constexpr const char* kDiskFull = "Datenträger voll";
std::string otherIoErrorText(int systemError); // "E/A-Fehler %d"

// Refuses, with IoError, a target that could never be replaced: a folder, a file without
// write permission, anything that is no regular file, a name longer than its folder holds.
// `target` has its links resolved and lives in `folder`; `shown` is the name the user gave.
void checkReplaceable(const std::filesystem::path& target, const std::filesystem::path& folder,
                      const std::filesystem::path& shown);

// A new file in `folder` that is meant to replace `target`. Destroyed without replace(), it
// leaves nothing behind.
class TemporaryFile {
public:
    virtual ~TemporaryFile() = default;
    // All of the bytes, or IoError.
    virtual void write(std::string_view bytes) = 0;
    // Everything written is on the disk.
    virtual void sync() = 0;
    // Closes the file and puts it in the target's place in one step.
    virtual void replace() = 0;
};

std::unique_ptr<TemporaryFile> createTemporaryFile(const std::filesystem::path& folder,
                                                   const std::filesystem::path& target);

// Shared by both systems.
[[noreturn]] void throwIoError(int systemError);
[[noreturn]] void throwNotARegularFile(const std::filesystem::path& shown);
// A name of fixed length in `folder`, whatever the length of the target's name: a target name
// as long as the folder allows must stay possible.
std::filesystem::path temporaryName(const std::filesystem::path& folder);

} // namespace trassolin::detail
