#pragma once

#include <functional>
#include <optional>
#include <string>

namespace trassolin::test {

// Runs `probe` in a child process with the rights of an ordinary user (nobody), for checks of
// permissions that root ignores (CI runs as root), and returns what it returned. When the
// process is no root it runs as it is. nullopt when the rights cannot be dropped.
std::optional<std::string> asOrdinaryUser(const std::function<std::string()>& probe);

} // namespace trassolin::test
