// Spline points from an i3d file exported by the GIANTS editor. A line scanner, not an XML
// parser: the editor writes each start tag with its attributes on one line, and the markers
// and numbers are plain ASCII, so the bytes are scanned as they are, whatever the encoding.

#include "uSplinePkts/spline_punkte.h"

#include "uGlobal/errors.h"
#include "io/paths.h"
#include "io/read_file.h"
#include "uGlobal/numbers.h"
#include "uGlobal/text_lines.h"

#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace trassolin {

namespace {

// The root element of the documents this program writes (output/document.cpp).
constexpr std::string_view kTrassolinRoot = "<i3D name=\"Trassolin\"";

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

// Whether a node's attribute leaves its children where they are: absent, or every number
// equal to `identity`. A value that cannot be read counts as moving them.
bool keepsInPlace(std::string_view tag, std::string_view marker, double identity) {
    std::string value;
    if (!textBetweenMarkers(tag, marker, "\"", value)) return true;
    try {
        for (double v : threeNumbers(value)) {
            if (v != identity) return false;
        }
        return true;
    } catch (const ConversionError&) {
        return false;
    }
}

// Follows which scene nodes are open over the lines, to tell the points that the editor wrote
// relative to a parent that moves, turns or scales them, and the Shapes the import passes by.
// It relies on what the import relies on: every start tag on one line.
class SceneNesting {
public:
    // `taking` is false on the line that opens the scene: the import reads none of its Shapes.
    void scanLine(std::string_view line, bool taking, ImportReport& report) {
        bool pointOfLine = taking;
        for (std::size_t at = line.find('<'); at != std::string_view::npos;
             at = line.find('<', at)) {
            std::string_view tag = line.substr(at + 1);
            const std::size_t end = tag.find('>');
            tag = tag.substr(0, end);
            at += 1 + tag.size();
            if (tag.starts_with('/')) {
                close();
                continue;
            }
            if (tag.starts_with('!') || tag.starts_with('?')) continue;
            if (tag.substr(0, tag.find_first_of(" \t/")) == "Shape") {
                if (!pointOfLine) {
                    ++report.skippedShapes;
                } else if (transformedOpen_ > 0) {
                    ++report.shapesInTransformedGroups;
                }
                pointOfLine = false;
            }
            if (end != std::string_view::npos && tag.ends_with('/')) continue;
            const bool moves = !keepsInPlace(tag, " translation=\"", 0.0) ||
                               !keepsInPlace(tag, " rotation=\"", 0.0) ||
                               !keepsInPlace(tag, " scale=\"", 1.0);
            open_.push_back(moves);
            if (moves) ++transformedOpen_;
        }
    }

private:
    void close() {
        if (open_.empty()) return;
        if (open_.back()) --transformedOpen_;
        open_.pop_back();
    }

    std::vector<bool> open_; // one entry per open node: whether it transforms its children
    int transformedOpen_ = 0;
};

std::string counted(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

ImportReport TSplinePunkte::importFromI3d(const std::filesystem::path& file) {
    const std::string name = displayPath(file);
    const auto bytes = readWholeFile(file, kMaxExportFileBytes, "einen Spline-Export");
    if (!bytes) throw IoError("Die Datei " + name + " kann nicht geöffnet werden");

    // Exports from any system: LF, CR LF and CR-only line ends.
    LineCursor lines(*bytes);
    std::string_view line;
    std::size_t sceneTag = std::string_view::npos;
    bool trassolinRoot = false;
    bool editorExport = false;
    while (lines.next(line) && (sceneTag = line.find("<Scene>")) == std::string_view::npos) {
        trassolinRoot = trassolinRoot || line.find(kTrassolinRoot) != std::string_view::npos;
        editorExport = editorExport || line.find("<Export program=") != std::string_view::npos;
    }
    if (sceneTag == std::string_view::npos) {
        throw TrassolinError("Die Datei " + name + " enthält keine Szene (<Scene>)");
    }
    // A road this program wrote has Shapes in its scene, but no spline points: taking them would
    // put every point at the origin.
    if (trassolinRoot && !editorExport) {
        throw TrassolinError("Die Datei " + name +
                             " ist eine von Trassolin erzeugte Straße, kein Export von "
                             "Spline-Punkten; die Spline-Punkte bleiben, wie sie waren");
    }
    ImportReport report;
    SceneNesting nesting;
    nesting.scanLine(line.substr(sceneTag + 7), false, report);

    // Nothing changes before the whole scene has been read.
    std::vector<TSplinePkt> found;
    bool sceneEnded = false;
    while (!sceneEnded && lines.next(line)) {
        if (line.find("<Shape") != std::string_view::npos) {
            if (found.size() == static_cast<std::size_t>(kMaxSplinePoints)) {
                throw TrassolinError("Die Datei " + name + " enthält mehr als " +
                                     formatGeneral(kMaxSplinePoints, ',') + " Spline-Punkte");
            }
            found.push_back(locatingConversionErrors([&] { return shapePoint(line); },
                                                     [&](ValueLocation& where) {
                                                         where.file = file;
                                                         where.line = lines.number();
                                                     }));
        }
        nesting.scanLine(line, true, report);
        sceneEnded = line.find("</Scene>") != std::string_view::npos;
    }
    if (!sceneEnded) {
        throw TrassolinError("Die Szene in " + name + " ist nicht abgeschlossen (</Scene> fehlt)");
    }
    if (found.empty()) {
        throw TrassolinError("Die Szene in " + name +
                             " enthält keine Spline-Punkte (<Shape>); die Spline-Punkte bleiben, "
                             "wie sie waren");
    }

    assignPoints(std::move(found));
    setFileName(name);
    return report;
}

void checkImportedPoints(const TSplinePunkte& points, const ImportReport& report,
                         std::string_view source, MessageSink& messages, char decimalSeparator,
                         std::string_view directionsCommand) {
    const auto warn = [&](const std::string& text) {
        messages.show(MessageKind::Warning, std::string(source) + ": " + text);
    };
    const std::vector<TSplinePkt>& p = points.points();
    if (p.size() == 1) warn("nur 1 Spline-Punkt gefunden; eine Straße braucht mindestens zwei");
    // An export of something else than control points can put hundreds of points on one spot;
    // the first few pairs say enough.
    constexpr int kNamedPairs = 3;
    int pairsOnOneSpot = 0;
    bool everyHeadingZero = true;
    bool everyChordAlongZ = true;
    for (std::size_t i = 0; i < p.size(); ++i) {
        everyHeadingZero = everyHeadingZero && p[i].Yrot == 0.0;
        if (i + 1 == p.size()) break;
        const double dx = p[i + 1].X - p[i].X;
        const double dz = p[i + 1].Z - p[i].Z;
        everyChordAlongZ = everyChordAlongZ && dx == 0.0 && dz > 0.0;
        const double apart = std::hypot(dx, dz);
        if (apart < kMinChordLength && ++pairsOnOneSpot <= kNamedPairs) {
            const int n = static_cast<int>(i) + 1;
            warn("SplinePunkte " + std::to_string(n) + " und " + std::to_string(n + 1) +
                 " liegen aufeinander (waagerecht " +
                 formatGeneral(decimalRound(apart, -3), decimalSeparator) +
                 " m auseinander); daraus lässt sich keine Straße erzeugen");
        }
    }
    if (pairsOnOneSpot > kNamedPairs) {
        warn(std::to_string(pairsOnOneSpot - kNamedPairs) +
             " weitere Paare benachbarter SplinePunkte liegen ebenfalls aufeinander");
    }
    // A road that does run straight along +Z needs no heading; anywhere else all zeros mean
    // that the points were never turned in the editor.
    if (p.size() >= 2 && everyHeadingZero && !everyChordAlongZ) {
        warn("alle Punkte haben Yrot = 0: die Straße verläuft an jedem Punkt in +Z-Richtung; "
             "Punkte im Editor ausrichten oder die Richtungen berechnen lassen (" +
             std::string(directionsCommand) + ")");
    }
    if (report.skippedShapes > 0) {
        warn(counted(report.skippedShapes, "Shape", "Shapes") +
             " übersprungen: gelesen wird nur das erste <Shape einer Zeile und nichts aus der "
             "Zeile mit <Scene>");
    }
    if (report.shapesInTransformedGroups > 0) {
        warn(counted(report.shapesInTransformedGroups, "Spline-Punkt", "Spline-Punkte") +
             " innerhalb verschobener, gedrehter oder skalierter Gruppen gelesen: ihre Werte "
             "gelten relativ zur Gruppe, nicht zur Karte");
    }
}

} // namespace trassolin
