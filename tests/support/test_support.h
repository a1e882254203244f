#pragma once

#include <filesystem>
#include <string>
#include <vector>

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

// For every occurrence of ` name="…"` in a document, the blank-separated numbers inside the
// quotes, in document order (the vertex, triangle and control-vertex lines of a mesh).
std::vector<std::vector<double>> attributeNumbers(const std::string& text, const std::string& name);

// Runs xmllint with `arguments` on `file`; its output lands in `output`. Returns the exit status.
int xmllint(const std::string& arguments, const std::filesystem::path& file, std::string& output);
bool xmllintAvailable();
// The i3d 1.6 schema that the root line's address names; absent when the shared data is.
std::filesystem::path i3dSchema();
// The document without bvCenter, bvRadius and isOptimized: the editor writes them, the
// published schema lags behind it.
std::string withoutEditorAttributes(std::string document);

// The shared data folder beside the project (i3d samples and schema); may be absent.
std::filesystem::path sharedDir();
std::filesystem::path examplesDir();

} // namespace trassolin::test
