#include "uGlobal/text_lines.h"

namespace trassolin {

bool LineCursor::next(std::string_view& line) {
    if (at_ >= text_.size()) return false;
    const std::size_t start = at_;
    const std::size_t end = text_.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
        line = text_.substr(start);
        at_ = text_.size();
    } else {
        line = text_.substr(start, end - start);
        at_ = end + 1;
        if (text_[end] == '\r') {
            std::size_t j = end;
            while (j < text_.size() && text_[j] == '\r') ++j;
            // CR ... CR LF is one line end; a CR on its own is one too.
            if (j < text_.size() && text_[j] == '\n') at_ = j + 1;
        }
    }
    ++number_;
    return true;
}

std::size_t countLines(std::string_view text) {
    LineCursor cursor(text);
    std::size_t lines = 0;
    for (std::string_view line; cursor.next(line);) ++lines;
    return lines;
}

} // namespace trassolin
