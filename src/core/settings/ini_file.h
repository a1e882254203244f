#pragma once

// INI text with the semantics of the Windows private-profile functions, which wrote the
// parameter files the tool has to keep reading: section and key names match without regard
// to ASCII case, the first of duplicate sections or keys counts, values are trimmed and lose
// one pair of enclosing quotes, and an update changes one line in place and keeps every
// other line (comments, unknown keys, keys of longer profiles saved earlier). A value that
// those rules would change on reading is written in double quotes, so that it reads back as
// it was written.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace trassolin {

class OutputFile;

// A parameter file of the largest point set a load takes (100 000 points) has about 15 MB in
// 700 000 lines, twice the bytes in UTF-16; an ordinary one a few kilobytes.
inline constexpr std::uintmax_t kMaxSettingsFileBytes = 64 * 1024 * 1024;
inline constexpr std::size_t kMaxSettingsFileLines = 2'000'000;

class IniFile {
public:
    IniFile() = default;
    // Decodes file bytes (UTF-8, cp1252 or UTF-16 with its byte order mark; LF, CR LF or CR
    // line ends) into lines.
    explicit IniFile(std::string_view bytes);

    // Throws IoError "Die Datei %s kann nicht gelesen werden" when the file cannot be read, and
    // TrassolinError naming the size when it is far larger than any settings file
    // (kMaxSettingsFileBytes, kMaxSettingsFileLines): it is refused before it is read whole.
    static IniFile read(const std::filesystem::path& file);
    // The file to update on a save: empty when it does not exist; a file that exists but
    // cannot be read throws IoError "In %s kann nicht geschrieben werden", since writing
    // without its content would lose it.
    static IniFile readForUpdate(const std::filesystem::path& file);

    bool hasSection(std::string_view section) const;
    // The value as the reader sees it; nullopt when the section or key is absent.
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t fallback) const;
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    // Replaces the key's line in place, or appends the key to its section, or appends a new
    // section directly after the last line of the file (no blank line before it). A value
    // holding a line break is refused with TrassolinError: it would split the line and plant
    // whatever follows as another key.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int64_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // The file bytes: CR LF line ends, cp1252 when every character fits, UTF-8 otherwise;
    // a file read with a UTF-8 byte order mark keeps it and stays UTF-8.
    std::string encoded() const;
    // All or nothing: the file is replaced only once the whole content is written. Any
    // failure throws IoError "In %s kann nicht geschrieben werden" and leaves the file as it was.
    void save(const std::filesystem::path& file) const;
    // The first half of save: the whole content written and on disk, ready to replace `file`
    // with publish() — so that it can be replaced together with another file. Same errors.
    std::unique_ptr<OutputFile> prepareSave(const std::filesystem::path& file) const;

private:
    struct Decoded {
        std::string text; // UTF-8
        bool utf8Bom;
    };
    explicit IniFile(Decoded decoded);

    struct Section {
        std::string header;             // "[name]" as it stands; empty for the lines before it
        std::vector<std::string> lines; // the lines below the header, verbatim
        std::unordered_map<std::string, std::size_t> keys; // lower-case key -> first line
    };

    const Section* findSection(std::string_view section) const;
    void indexLine(Section& section, std::size_t line);

    std::vector<Section> sections_{Section{}};
    bool utf8Bom_ = false;
    std::unordered_map<std::string, std::size_t> index_; // lower-case name -> first section
};

} // namespace trassolin
