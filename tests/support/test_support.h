#pragma once

#include <filesystem>
#include <string>

namespace trassolin::test {

// A fresh folder below the system's temporary directory, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);

// The shared data folder beside the project (i3d samples and schema); may be absent.
std::filesystem::path sharedDir();
std::filesystem::path examplesDir();

} // namespace trassolin::test
