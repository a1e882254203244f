#include "io/paths.h"

#include <system_error>

namespace trassolin {

std::string displayPath(const std::filesystem::path& file) {
    const auto text = file.u8string();
    return {text.begin(), text.end()};
}

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    // The place a name leads to: links and "." and ".." resolved as far as the path exists.
    const auto place = [&ec](const std::filesystem::path& p) {
        return std::filesystem::weakly_canonical(std::filesystem::absolute(p, ec), ec)
            .lexically_normal();
    };
    const auto first = place(a);
    if (ec) return false;
    const auto second = place(b);
    return !ec && first == second;
}

} // namespace trassolin
