#pragma once

#include <string_view>

namespace trassolin {

// The lines of a text file from any system, one at a time and without a list of them (a file
// of millions of empty lines must not cost a list entry each): LF, CR LF and a lone CR (old
// Mac exports) all end a line, and any run of CRs in front of an LF is one line end, so no
// line keeps a CR. A final line end adds no empty line.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}
    // The next line into `line`; false at the end of the text.
    bool next(std::string_view& line);
    // The number of the line `next` gave last, counting from 1.
    int number() const { return number_; }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    int number_ = 0;
};

// How many lines a LineCursor gives for the text.
std::size_t countLines(std::string_view text);

} // namespace trassolin
