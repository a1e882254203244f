#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace trassolin {

// Writes a file all or nothing: the bytes go into a temporary file in the target's folder,
// and commit() renames it over the target. Until then the target stays as it was; a file
// that is destroyed without commit removes its temporary file. Every failure throws IoError
// with the German words of the system error ("Dateizugriff verweigert", "Ungültiger
// Dateiname", "E/A-Fehler %d"). A target that is a directory or cannot be written is
// reported by the constructor already; a symbolic link is written through, not replaced.
class OutputFile {
public:
    explicit OutputFile(std::filesystem::path target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    void commit();

    const std::filesystem::path& target() const { return target_; }

private:
    std::filesystem::path target_;
    std::filesystem::path final_; // target_ with a symbolic link resolved
    std::filesystem::path temp_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

// The German text of a system error number, as the windows show it.
std::string ioErrorText(int errorNumber);

} // namespace trassolin
