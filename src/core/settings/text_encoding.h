#pragma once

// Parameter files written on Windows are 8-bit text in the ANSI code page (cp1252 on the
// German and English systems the tool is used on); files edited elsewhere are UTF-8. In
// memory every text is UTF-8.

#include <string>
#include <string_view>

namespace trassolin {

// UTF-16 (little or big endian) when the bytes start with its byte order mark, as Windows
// editors save "Unicode" files; UTF-8 when they start with a UTF-8 byte order mark (which is
// dropped, and so are more of them right behind it) or are valid UTF-8 with at least one non-ASCII byte; otherwise cp1252. The result
// is UTF-8.
std::string decodeSettingsText(std::string_view bytes);

// cp1252 when every character has a cp1252 byte, so that the Windows build reads the file;
// otherwise the UTF-8 bytes unchanged (without a byte order mark, which the Windows reader
// would take as part of the first section name). Where the cp1252 bytes would themselves read
// as UTF-8 (a text such as "KreuzungÃ¤"), the reader could not tell them apart: the text is
// then written as UTF-8 behind a byte order mark.
std::string encodeSettingsText(std::string_view utf8);

bool isValidUtf8(std::string_view bytes);

// The bytes as UTF-8 text: well-formed UTF-8 sequences as they are, every other byte read as
// cp1252 (a file name from a Windows disk, "Stra\xDFe.i3d", becomes "Straße.i3d").
std::string asValidUtf8(std::string_view bytes);

} // namespace trassolin
