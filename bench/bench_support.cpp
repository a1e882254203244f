#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace trassolin::bench {

std::filesystem::path benchFolder() {
    const auto folder = std::filesystem::temp_directory_path() / "trassolin-bench";
    std::filesystem::create_directories(folder);
    return folder;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0.0 : (n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0);
}

double cliPeakBytes(const std::vector<std::string>& arguments) {
    const std::string report = (benchFolder() / "cli-peak.txt").string();
    std::vector<const char*> argv = {"/usr/bin/time",   "-f", "%M", "-o", report.c_str(),
                                     TRASSOLIN_CLI_PATH};
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr,
                                    const_cast<char* const*>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || status != 0) {
        throw std::runtime_error("/usr/bin/time trassolin-cli failed");
    }
    const double kilobytes = std::stod(readFile(report));
    std::filesystem::remove(report);
    return kilobytes * 1024.0;
}

} // namespace trassolin::bench
