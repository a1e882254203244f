#include "uGlobal/text_lines.h"

namespace trassolin {

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        if (c == '\r') {
            std::size_t j = i;
            while (j < text.size() && text[j] == '\r') ++j;
            // CR ... CR LF is one line end; a CR on its own is one too.
            i = (j < text.size() && text[j] == '\n') ? j + 1 : i + 1;
        } else {
            ++i;
        }
        start = i;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

} // namespace trassolin
