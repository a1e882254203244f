// Test support that needs POSIX: xmllint through the shell, and dropping root's rights.

#include "support/test_support.h"
#include "support/test_support_posix.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trassolin::test {

namespace {
constexpr const char* kXmllint = "/usr/bin/xmllint";
}

bool xmllintAvailable() { return std::filesystem::exists(kXmllint); }

int xmllint(const std::string& arguments, const std::filesystem::path& file, std::string& output) {
    const auto log = file.parent_path() / "xmllint.log";
    const std::string command = std::string(kXmllint) + " " + arguments + " '" + file.string() +
                                "' > '" + log.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    output = readFile(log);
    return status;
}

std::optional<std::string> asOrdinaryUser(const std::function<std::string()>& probe) {
    if (::geteuid() != 0) return probe();
    int channel[2];
    if (::pipe(channel) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        ::close(channel[0]);
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(3);
        }
        const std::string answer = probe();
        const auto written = ::write(channel[1], answer.data(), answer.size());
        ::_exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 4);
    }
    ::close(channel[1]);
    std::string answer;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return answer;
}

std::optional<std::filesystem::path> runnableByOrdinaryUser(const std::filesystem::path& program) {
    namespace fs = std::filesystem;
    static std::vector<std::unique_ptr<TempDir>> kept;
    auto folder = std::make_unique<TempDir>();
    const fs::path copy = *folder / program.filename().string();
    std::error_code ec;
    constexpr auto kAnyoneRuns = fs::perms::owner_all | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read |
                                 fs::perms::others_exec;
    fs::permissions(folder->path(), kAnyoneRuns, ec);
    if (ec || !fs::copy_file(program, copy, ec) || ec) return std::nullopt;
    fs::permissions(copy, kAnyoneRuns, ec);
    if (ec) return std::nullopt;
    const auto reachable =
        asOrdinaryUser([&] { return std::string(::access(copy.c_str(), X_OK) == 0 ? "1" : "0"); });
    if (reachable != "1") return std::nullopt;
    kept.push_back(std::move(folder));
    return copy;
}

} // namespace trassolin::test
