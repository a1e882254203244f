#pragma once

#include <string>
#include <vector>

namespace trassolin {

// The program's arguments as UTF-8 texts, the form the core takes file names in. On Windows
// argv holds them in the ANSI code page, which cannot hold every file name a modder uses, so
// they are taken from the UTF-16 command line instead, and the console shows UTF-8 while the
// object lives. Elsewhere argv already is UTF-8 and is passed on as it is.
class Utf8CommandLine {
public:
    Utf8CommandLine(int argc, char** argv);
    ~Utf8CommandLine();
    Utf8CommandLine(const Utf8CommandLine&) = delete;
    Utf8CommandLine& operator=(const Utf8CommandLine&) = delete;

    int argc() const { return static_cast<int>(texts_.size()); }
    // Null-terminated like main's argv; valid while the object lives.
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
    [[maybe_unused]] unsigned consoleCodePage_ = 0; // Windows: to restore; 0 when unchanged
};

} // namespace trassolin
