#pragma once

// Files that a reader takes in at once, refused by their size before they take the memory.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace trassolin {

// The whole file, or nullopt when it cannot be opened. A file chosen by mistake (a video, a disk
// image, a device that never ends) must not take the memory and minutes before it is refused:
// one above `limit` bytes is refused by its size before it is read, with TrassolinError "Die
// Datei %s ist mit %s MB zu groß für %s (höchstens %s MB)" (`kind` names what it was taken
// for, "eine Parameterdatei"). A folder or a failed read throws IoError "Die Datei %s kann nicht
// gelesen werden".
std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::uintmax_t limit,
                                         std::string_view kind);

// A size in whole megabytes (2^20 bytes), rounded up, thousands grouped: "1.024 MB".
std::string megabytes(std::uintmax_t bytes);

} // namespace trassolin
