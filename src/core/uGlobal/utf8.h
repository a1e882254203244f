#pragma once

// UTF-8, the form of every text in memory.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace trassolin {

// The code point starting at `pos` and its length in bytes; nullopt for an ill-formed
// sequence (overlong forms, surrogates and values beyond U+10FFFF included).
std::optional<std::pair<char32_t, std::size_t>> nextCodePoint(std::string_view s, std::size_t pos);

void appendUtf8(std::string& out, char32_t cp);

// Calls `f` with every character of `text`. A byte that begins no well-formed sequence is
// taken as the Latin-1 character it would be on its own, so that no text is refused.
template <class F> void forEachCharacter(std::string_view text, F&& f) {
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        if (const auto next = nextCodePoint(text, i)) {
            c = next->first;
            length = next->second;
        }
        f(c);
        i += length;
    }
}

} // namespace trassolin
