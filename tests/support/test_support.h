#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace trassolin {
class MessageSink;
class TRandPunkte;
}

namespace trassolin::test {

// One segment of an edge profile: length in metres, angle in degrees, texture coordinate.
struct ProfileSegment {
    double length, angleDegrees, u = 0.0;
};
// An enabled profile ("rechter Rand" or "linker Rand") built as the editor builds it: the fields,
// the geometry per segment, then a recompute whose warnings go to `sink` (or nowhere).
TRandPunkte profileOf(bool right, const std::vector<ProfileSegment>& segments,
                      MessageSink* sink = nullptr);

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
// The text with every "\n" turned into the CR LF that documents and settings files use.
std::string crlf(std::string_view text);
// The names of a folder's entries, sorted.
std::vector<std::string> entryNames(const std::filesystem::path& folder);
void writeFile(const std::filesystem::path& file, const std::string& bytes);

// For every occurrence of ` name="…"` in a document, the blank-separated numbers inside the
// quotes, in document order (the vertex, triangle and control-vertex lines of a mesh).
std::vector<std::vector<double>> attributeNumbers(const std::string& text, const std::string& name);

// Runs xmllint with `arguments` on `file`; its output lands in `output`. Returns the exit status.
int xmllint(const std::string& arguments, const std::filesystem::path& file, std::string& output);
bool xmllintAvailable();
// The i3d 1.6 schema that the root line's address names; absent when the shared data is.
std::filesystem::path i3dSchema();
// The schema the engine maker publishes today under the same address (1.6h); absent as above.
std::filesystem::path currentI3dSchema();
// The document without bvCenter, bvRadius and isOptimized: the editor writes them, the
// published schema lags behind it.
std::string withoutEditorAttributes(std::string document);
// The same, and without the attributes that the current schema (1.6h) no longer lists although
// the older one knows them and requires NurbsCurve's degree: File's relativePath, Material's
// ambientColor and NurbsCurve's degree. The document keeps writing them for the older editors.
std::string withoutAttributesUnknownToTheCurrentSchema(std::string document);

// SHA-256 of the bytes as 64 lower-case hex digits, the same as `sha256sum` prints, so a
// checked-in fingerprint can be compared with a file the command line wrote.
std::string sha256Hex(std::string_view bytes);

// A test name made of a text: letters and digits as they stand, every other character as a
// word ("2,5" -> "2_comma_5", "-1e-6" -> "minus_1e_minus_6"), so that parameterised tests read
// well in ctest -R and keep their names from build to build.
std::string nameOf(std::string_view text);
// The shortest text that reads back as the value, as a name ("-0.5" -> "minus_0_point_5").
std::string nameOf(double value);

// The what() of the exception of type E that `work` throws; "(nichts geworfen)" when it
// returns, so that a test compares the German message in one line.
template <class E, class Work> std::string thrownMessage(Work&& work) {
    try {
        work();
    } catch (const E& e) {
        return e.what();
    }
    return "(nichts geworfen)";
}

// A 16-bit grey PNG height map of the given size, pixel (column, row) = value(column, row).
void writeHeightMap(const std::filesystem::path& file, int width, int height,
                    const std::function<std::uint16_t(int column, int row)>& value);

// The shared data folder beside the project (i3d samples and schema); may be absent.
std::filesystem::path sharedDir();
std::filesystem::path examplesDir();
// Golden files of the tests (tests/data).
std::filesystem::path testDataDir();

} // namespace trassolin::test
