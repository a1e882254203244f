#pragma once

// What the benchmark programs share: their folder, files, medians and the peak memory of a
// command line run.

#include <filesystem>
#include <string>
#include <vector>

namespace trassolin::bench {

// Beside the system's temporary files, on the disk a user's documents would go to.
std::filesystem::path benchFolder();

std::string readFile(const std::filesystem::path& file);

double median(std::vector<double> v);

// Runs trassolin-cli with `arguments` under GNU time (stdout to /dev/null) and returns its peak
// resident memory in bytes; throws std::runtime_error when it fails. GNU time reports the
// peak of the command line's own process: a process spawned straight from this one would be
// charged this process's memory as well, since the kernel keeps the peak of the memory a
// process had before it started the new program.
double cliPeakBytes(const std::vector<std::string>& arguments);

} // namespace trassolin::bench
