// Spline points from an i3d file exported by the GIANTS editor. A line scanner, not an XML
// parser: the editor writes each start tag with its attributes on one line, and the markers
// and numbers are plain ASCII, so the bytes are scanned as they are, whatever the encoding.

#include "uSplinePkts/spline_punkte.h"

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"
#include "uGlobal/text_lines.h"

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace trassolin {

namespace {

std::string displayName(const std::filesystem::path& file) {
    const auto text = file.u8string();
    return {text.begin(), text.end()};
}

// Blanks and control characters.
std::string_view trimControls(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

// The text before the first blank (empty when there is none) and the trimmed rest after it.
std::string_view takeUntilBlank(std::string_view& rest) {
    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) {
        rest = {};
        return {};
    }
    const std::string_view head = rest.substr(0, blank);
    rest = trimControls(rest.substr(blank + 1));
    return trimControls(head);
}

// "x y z" as the editor writes an attribute. Only a single blank separates: a value that
// starts with a blank or uses tabs fails, and a fourth number stays glued to the third.
std::array<double, 3> threeNumbers(std::string_view value) {
    std::string_view rest = value;
    const double a = parseTolerantReal(takeUntilBlank(rest));
    const double b = parseTolerantReal(takeUntilBlank(rest));
    const double c = parseTolerantReal(rest);
    return {a, b, c};
}

// The first occurrence of each attribute counts; a missing one leaves its three values at 0.
TSplinePkt shapePoint(std::string_view line) {
    TSplinePkt point;
    std::string value;
    if (textBetweenMarkers(line, "translation=\"", "\"", value)) {
        const auto t = threeNumbers(value);
        point.X = t[0], point.Y = t[1], point.Z = t[2];
    }
    if (textBetweenMarkers(line, "rotation=\"", "\"", value)) {
        const auto r = threeNumbers(value);
        point.Xrot = r[0], point.Yrot = r[1], point.Zrot = r[2];
    }
    return point;
}

} // namespace

void TSplinePunkte::importFromI3d(const std::filesystem::path& file) {
    const std::string name = displayName(file);
    const auto cannotRead = [&] {
        return IoError("Die Datei " + name + " kann nicht gelesen werden");
    };
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) throw cannotRead();
    std::ifstream in(file, std::ios::binary);
    if (!in) throw IoError("Die Datei " + name + " kann nicht geöffnet werden");
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw cannotRead();

    // Exports from any system: LF, CR LF and CR-only line ends.
    const std::vector<std::string_view> lines = splitLines(bytes);
    auto line = lines.begin();
    bool sceneStarted = false;
    while (!sceneStarted && line != lines.end()) {
        sceneStarted = line++->find("<Scene>") != std::string_view::npos;
    }
    if (!sceneStarted) throw TrassolinError("Die Datei " + name + " enthält keine Szene (<Scene>)");

    // Nothing changes before the whole scene has been read.
    std::vector<TSplinePkt> found;
    bool sceneEnded = false;
    for (; !sceneEnded && line != lines.end(); ++line) {
        if (line->find("<Shape") != std::string_view::npos) {
            if (found.size() == static_cast<std::size_t>(kMaxSplinePoints)) {
                throw TrassolinError("Die Datei " + name + " enthält mehr als " +
                                     formatGeneral(kMaxSplinePoints, ',') + " Spline-Punkte");
            }
            found.push_back(shapePoint(*line));
        }
        sceneEnded = line->find("</Scene>") != std::string_view::npos;
    }
    if (!sceneEnded) {
        throw TrassolinError("Die Szene in " + name + " ist nicht abgeschlossen (</Scene> fehlt)");
    }

    assignPoints(std::move(found));
    setFileName(name);
}

} // namespace trassolin
