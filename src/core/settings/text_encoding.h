#pragma once

// Parameter files written on Windows are 8-bit text in the ANSI code page (cp1252 on the
// German and English systems the tool is used on); files edited elsewhere are UTF-8. In
// memory every text is UTF-8.

#include <string>
#include <string_view>

namespace trassolin {

// UTF-8 when the bytes start with a UTF-8 byte order mark (which is dropped) or are valid
// UTF-8 with at least one non-ASCII byte; otherwise cp1252, converted to UTF-8.
std::string decodeSettingsText(std::string_view bytes);

// cp1252 when every character has a cp1252 byte, so that the Windows build reads the file;
// otherwise the UTF-8 bytes unchanged (without a byte order mark, which the Windows reader
// would take as part of the first section name).
std::string encodeSettingsText(std::string_view utf8);

bool isValidUtf8(std::string_view bytes);

} // namespace trassolin
