#pragma once

#include <string_view>
#include <vector>

namespace trassolin {

// The lines of a text file from any system: LF, CR LF and a lone CR (old Mac exports) all end
// a line, and any run of CRs in front of an LF is one line end, so no line keeps a CR. A final
// line end adds no empty line.
std::vector<std::string_view> splitLines(std::string_view text);

} // namespace trassolin
