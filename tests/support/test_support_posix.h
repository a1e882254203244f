#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace trassolin::test {

// Runs `probe` in a child process with the rights of an ordinary user (nobody), for checks of
// permissions that root ignores (CI runs as root), and returns what it returned. When the
// process is no root it runs as it is. nullopt when the rights cannot be dropped.
std::optional<std::string> asOrdinaryUser(const std::function<std::string()>& probe);

// A copy of `program` that the user of asOrdinaryUser can run, in a fresh folder anyone may
// enter, kept until the tests end. The build itself may lie in a folder only its owner can
// enter (a clone in root's home folder, or in a folder made by mktemp -d). nullopt when no
// such place can be made, for example when the system's temporary folder is private too.
std::optional<std::filesystem::path> runnableByOrdinaryUser(const std::filesystem::path& program);

} // namespace trassolin::test
