#include "settings/ini_file.h"

#include "io/output_file.h"
#include "io/paths.h"
#include "io/read_file.h"
#include "settings/text_encoding.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"
#include "uGlobal/text_lines.h"

#include <charconv>
#include <limits>

namespace trassolin {

namespace {

// The Windows reader hands back at most 2047 characters of a value.
constexpr std::size_t kMaxValueCharacters = 2047;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool isBlankLine(std::string_view line) {
    return trim(line).empty();
}

// A byte order mark that stands at the start of a line (a second one behind the file's own, or
// one of a file pasted into another) is no part of the section or key name behind it: read
// as one, it would hide a whole section, and the next save would add that section again.
std::string_view withoutByteOrderMarks(std::string_view line) {
    while (line.starts_with(kUtf8Bom))
        line.remove_prefix(kUtf8Bom.size());
    return line;
}

// The section name of a header line, or nullopt for any other line.
std::optional<std::string_view> headerName(std::string_view line) {
    const std::string_view t = trim(withoutByteOrderMarks(trim(line)));
    if (!t.starts_with('[')) return std::nullopt;
    const std::string_view inner = t.substr(1);
    return trim(inner.substr(0, inner.find(']')));
}

// The key text of an entry line ("key=value"); comments and other lines have none.
std::optional<std::string_view> entryKey(std::string_view line) {
    const std::string_view t = trim(withoutByteOrderMarks(trim(line)));
    if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trim(t.substr(0, eq));
}

bool enclosedInQuotes(std::string_view v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

std::string entryValue(std::string_view line) {
    std::string_view v = trim(line.substr(line.find('=') + 1));
    if (enclosedInQuotes(v)) v = v.substr(1, v.size() - 2);
    // Count characters, not bytes, and never cut a UTF-8 sequence.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if ((static_cast<unsigned char>(v[i]) & 0xC0) == 0x80) continue;
        if (characters == kMaxValueCharacters) return std::string(v.substr(0, i));
        ++characters;
    }
    return std::string(v);
}

[[noreturn]] void throwCannotWrite(const std::filesystem::path& file) {
    throw IoError("In " + displayPath(file) + " kann nicht geschrieben werden", file);
}

[[noreturn]] void throwCannotRead(const std::filesystem::path& file) {
    throw IoError("Die Datei " + displayPath(file) + " kann nicht gelesen werden", file);
}

// The text of an entry line that reads back as `value`: a value with blanks at either end, or
// one that stands in a pair of quotes itself, is put into double quotes, which the reader
// takes off again (the Windows reader too). Any other value stands as it is.
std::string storedValue(std::string_view value) {
    if (value.empty() || !(isSpace(value.front()) || isSpace(value.back()) ||
                           enclosedInQuotes(value))) {
        return std::string(value);
    }
    return "\"" + std::string(value) + "\"";
}

} // namespace

IniFile::IniFile(std::string_view bytes)
    : IniFile(Decoded{decodeSettingsText(bytes), bytes.starts_with(kUtf8Bom)}) {}

IniFile::IniFile(Decoded decoded) : utf8Bom_(decoded.utf8Bom) {
    LineCursor lines(decoded.text);
    for (std::string_view line; lines.next(line);) {
        if (const auto name = headerName(line)) {
            sections_.push_back(Section{std::string(line), {}, {}});
            index_.emplace(lower(*name), sections_.size() - 1);
        } else {
            Section& section = sections_.back();
            section.lines.emplace_back(line);
            indexLine(section, section.lines.size() - 1);
        }
    }
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section) != nullptr;
}

void IniFile::indexLine(Section& section, std::size_t line) {
    if (const auto key = entryKey(section.lines[line])) section.keys.emplace(lower(*key), line);
}

IniFile IniFile::read(const std::filesystem::path& file) {
    const auto bytes = readWholeFile(file, kMaxSettingsFileBytes, "eine Parameterdatei");
    if (!bytes) throwCannotRead(file);
    Decoded decoded{decodeSettingsText(*bytes), bytes->starts_with(kUtf8Bom)};
    // Each line costs a list entry: millions of empty lines would take gigabytes.
    if (const std::size_t lines = countLines(decoded.text); lines > kMaxSettingsFileLines) {
        throw TrassolinError("Die Datei " + displayPath(file) + " ist mit " +
                             formatGrouped(static_cast<double>(lines)) +
                             " Zeilen zu lang für eine Parameterdatei (höchstens " +
                             formatGrouped(static_cast<double>(kMaxSettingsFileLines)) + ")");
    }
    return IniFile(std::move(decoded));
}

IniFile IniFile::readForUpdate(const std::filesystem::path& file) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found) return IniFile{};
    if (ec || status.type() != std::filesystem::file_type::regular) throwCannotWrite(file);
    try {
        return read(file);
    } catch (const IoError&) {
        throwCannotWrite(file);
    }
}

const IniFile::Section* IniFile::findSection(std::string_view section) const {
    const auto it = index_.find(lower(section));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (!s) return std::nullopt;
    const auto it = s->keys.find(lower(key));
    if (it == s->keys.end()) return std::nullopt;
    return entryValue(s->lines[it->second]);
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    auto value = find(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
    const auto value = find(section, key);
    if (!value) return fallback;
    return parseProfileInteger(*value).value_or(fallback);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    if (value.find_first_of("\r\n") != std::string_view::npos) {
        throw TrassolinError("Der Wert von " + std::string(section) + "." + std::string(key) +
                             " enthält einen Zeilenumbruch");
    }
    const auto it = index_.find(lower(section));
    if (it == index_.end()) {
        // Straight after the file's last line, without a blank line, as Windows appends it.
        Section added{"[" + std::string(section) + "]", {}, {}};
        added.lines.push_back(std::string(key) + "=" + storedValue(value));
        indexLine(added, 0);
        sections_.push_back(std::move(added));
        index_.emplace(lower(section), sections_.size() - 1);
        return;
    }
    Section& s = sections_[it->second];
    const auto keyIt = s.keys.find(lower(key));
    if (keyIt != s.keys.end()) {
        std::string& line = s.lines[keyIt->second];
        line = std::string(*entryKey(line)) + "=" + storedValue(value);
        return;
    }
    // After the section's last non-blank line, so that the blank lines before the next section
    // stay where they are; no key line lies behind that point, so no index moves.
    std::size_t at = s.lines.size();
    while (at > 0 && isBlankLine(s.lines[at - 1]))
        --at;
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at),
                   std::string(key) + "=" + storedValue(value));
    indexLine(s, at);
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int64_t value) {
    writeString(section, key, formatInteger(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

std::string IniFile::encoded() const {
    std::string text;
    for (const Section& s : sections_) {
        if (!s.header.empty()) text += s.header + "\r\n";
        for (const std::string& line : s.lines)
            text += line + "\r\n";
    }
    // A file that carried the mark keeps it, and with it UTF-8.
    if (utf8Bom_) return std::string(kUtf8Bom) + text;
    return encodeSettingsText(text);
}

std::unique_ptr<OutputFile> IniFile::prepareSave(const std::filesystem::path& file) const {
    const std::string bytes = encoded();
    try {
        auto out = std::make_unique<OutputFile>(file);
        out->write(bytes);
        out->prepare();
        return out;
    } catch (const IoError&) {
        throwCannotWrite(file);
    }
}

void IniFile::save(const std::filesystem::path& file) const {
    const auto out = prepareSave(file);
    try {
        out->publish();
    } catch (const IoError&) {
        throwCannotWrite(file);
    }
}

} // namespace trassolin
