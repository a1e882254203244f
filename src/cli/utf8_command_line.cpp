#include "utf8_command_line.h"

#ifdef _WIN32
#include <cstdio>
#include <iostream>

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>
#endif

namespace trassolin {

#ifdef _WIN32

namespace {

std::string utf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back(); // the terminating zero
    return out;
}

} // namespace

Utf8CommandLine::Utf8CommandLine(int, char**) {
    int count = 0;
    if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) texts_.push_back(utf8(wide[i]));
        ::LocalFree(wide);
    }
    // The status log and the messages are UTF-8; a console in its OEM code page would show
    // "Stra├ƒe". Redirected output is not touched by this.
    const unsigned previous = ::GetConsoleOutputCP();
    if (previous != 0 && previous != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
        consoleCodePage_ = previous;
    }
    for (std::string& text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}

Utf8CommandLine::~Utf8CommandLine() {
    if (consoleCodePage_ == 0) return;
    // The code page belongs to the console, which outlives the program; what is still
    // buffered has to reach it in UTF-8 first.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    ::SetConsoleOutputCP(consoleCodePage_);
}

#else

Utf8CommandLine::Utf8CommandLine(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) texts_.emplace_back(argv[i]);
    for (std::string& text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}

Utf8CommandLine::~Utf8CommandLine() = default;

#endif

} // namespace trassolin
