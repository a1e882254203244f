#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace trassolin {

namespace detail {
class TemporaryFile;
}

// Writes a file all or nothing: the bytes go into a temporary file in the target's folder,
// and commit() puts it in the target's place. Until then the target stays as it was; a file
// that is destroyed without commit leaves nothing behind. Where the system allows it the
// temporary file has no name at all until the moment it replaces the target, so that even a
// killed process leaves no stray file; otherwise its short fixed-length name is removed on
// SIGINT, SIGTERM and SIGHUP. On Windows the temporary file is marked for deletion until it
// replaces the target, which the system then does even for a killed process. Every failure
// throws IoError with the German words of the system error ("Dateizugriff verweigert",
// "Ungültiger Dateiname", "E/A-Fehler %d").
//
// The constructor already refuses a target that could never be replaced: a folder, a file
// without write permission (on Windows: a read-only file), anything that is no regular file
// (a device, a pipe, a socket; on Windows also NUL, CON and the like), and a symbolic link that
// leads nowhere (dangling, into a missing folder, or a loop). A link to a regular file is
// written through, not replaced.
class OutputFile {
public:
    explicit OutputFile(std::filesystem::path target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    // Everything written is on disk (flushed and synced), but the target is not yet replaced:
    // two files can be prepared before either replaces its target.
    void prepare();
    // Replaces the target with the prepared content.
    void publish();
    // prepare(), then publish().
    void commit();

    const std::filesystem::path& target() const { return target_; }

private:
    void open();
    void flushBuffer();

    std::filesystem::path target_;
    std::unique_ptr<detail::TemporaryFile> temp_; // gone after a failed publish
    std::string buffer_;
    bool prepared_ = false;
    bool committed_ = false;
};

// The German text of a system error number (errno; on Windows a GetLastError code), as the
// windows show it.
std::string ioErrorText(int errorNumber);

} // namespace trassolin
