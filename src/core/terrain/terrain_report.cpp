#include "terrain/terrain_report.h"

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <cmath>

namespace trassolin {

namespace {

const char* lineName(ClearanceLine line) {
    switch (line) {
    case ClearanceLine::RoadRight:
        return "rechter Fahrbahnrand";
    case ClearanceLine::RoadLeft:
        return "linker Fahrbahnrand";
    case ClearanceLine::RightVergeOuter:
        return "rechter Rand außen";
    case ClearanceLine::LeftVergeOuter:
        return "linker Rand außen";
    }
    return "";
}

// The summary speaks of the road as one, and of each verge's outer end.
struct Group {
    const char* name;
    std::vector<std::size_t> lines;
};
const std::array<Group, 3> kGroups{
    {{"Fahrbahn", {0, 1}}, {"rechter Rand außen", {2}}, {"linker Rand außen", {3}}}};

std::string metres(double v, int decimals, char separator) {
    return formatGeneral(decimalRound(v, static_cast<std::int8_t>(-decimals)), separator);
}

// The group's highest and lowest height at a row; nullopt when it has no point there.
std::optional<std::pair<double, double>> extremes(const ClearanceRow& row, const Group& g) {
    std::optional<std::pair<double, double>> e;
    for (const std::size_t line : g.lines) {
        if (!row.height[line]) continue;
        const double h = *row.height[line];
        e = e ? std::pair{std::max(e->first, h), std::min(e->second, h)} : std::pair{h, h};
    }
    return e;
}

// A height is beyond the tolerance by more than a micrometre, far below any height map's
// resolution: a road exactly 0.3 m above the ground keeps a tolerance of 0.3 m although its
// computed height may be a few ulps more.
bool beyond(double height, double tolerance) {
    return std::abs(height) > tolerance + 1e-6;
}

// A stretch of consecutive stations of one line beyond the tolerance on one side of the
// ground. Per line, not per part: where the road lies across a slope, one border sinks all
// along while the other stays on the ground.
struct Stretch {
    const char* line;
    bool above;
    double from, to;
    double worst, worstAt; // m beyond the ground (positive), station
};

std::vector<Stretch> stretches(const TerrainReport& report, double tolerance) {
    std::vector<Stretch> found;
    for (std::size_t line = 0; line < kClearanceLines; ++line) {
        const Group g{lineName(static_cast<ClearanceLine>(line)), {line}};
        for (const bool above : {true, false}) {
            std::optional<Stretch> open;
            for (const ClearanceRow& row : report.rows) {
                const auto e = extremes(row, g);
                if (!e) continue;
                const double off = above ? e->first : -e->second;
                if (off <= 0.0 || !beyond(off, tolerance)) {
                    if (open) found.push_back(*open);
                    open.reset();
                    continue;
                }
                if (!open)
                    open = Stretch{g.name, above, row.station, row.station, off, row.station};
                open->to = row.station;
                if (off > open->worst) {
                    open->worst = off;
                    open->worstAt = row.station;
                }
            }
            if (open) found.push_back(*open);
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Stretch& a, const Stretch& b) { return a.from < b.from; });
    return found;
}

} // namespace

TerrainReport measureClearance(const std::vector<RoadPoint>& points, const HeightMap& ground,
                               char decimalSeparator) {
    std::vector<RoadPoint> sorted = points;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const RoadPoint& a, const RoadPoint& b) { return a.station < b.station; });
    TerrainReport report;
    for (const RoadPoint& p : sorted) {
        const std::optional<double> h = ground.heightAt(p.x, p.z);
        if (!h) {
            const auto m = [&](double v) { return metres(v, 3, decimalSeparator); };
            throw TrassolinError("Station " + m(p.station) + " m (" + lineName(p.line) + ", x = " +
                                 m(p.x) + ", z = " + m(p.z) + ") liegt außerhalb des Geländes (" +
                                 ground.extentText(decimalSeparator) + ")");
        }
        if (report.rows.empty() || report.rows.back().station != p.station) {
            report.rows.push_back({p.station, {}});
        }
        auto& cell = report.rows.back().height[static_cast<std::size_t>(p.line)];
        if (!cell) cell = p.y - *h;
    }
    return report;
}

bool exceedsTolerance(const TerrainReport& report, double tolerance) {
    for (const ClearanceRow& row : report.rows) {
        for (const auto& h : row.height) {
            if (h && beyond(*h, tolerance)) return true;
        }
    }
    return false;
}

std::vector<std::string> reportLines(const TerrainReport& report, double tolerance,
                                     char decimalSeparator, std::size_t maxStretches) {
    if (report.rows.empty()) {
        return {"Nichts mit dem Gelände zu vergleichen: die Straße hat weder Fahrbahn noch Ränder"};
    }
    // Heights to the centimetre, always with both decimals, so that a column of reports lines
    // up; stations to the decimetre.
    const auto m = [&](double v) { return formatDecimals(v, 2, decimalSeparator); };
    const auto station = [&](double s) { return metres(s, 1, decimalSeparator); };
    std::string summary;
    for (const Group& g : kGroups) {
        std::optional<double> highest, lowest;
        for (const ClearanceRow& row : report.rows) {
            const auto e = extremes(row, g);
            if (!e) continue;
            highest = highest ? std::max(*highest, e->first) : e->first;
            lowest = lowest ? std::min(*lowest, e->second) : e->second;
        }
        if (!highest) continue;
        if (!summary.empty()) summary += "; ";
        summary += std::string(g.name) + ": max. " + m(std::max(*highest, 0.0)) + " m über, " +
                   m(std::max(-*lowest, 0.0)) + " m unter dem Gelände";
    }
    std::vector<std::string> lines{summary};

    const std::vector<Stretch> outside = stretches(report, tolerance);
    if (outside.empty()) {
        lines.push_back("Toleranz " + metres(tolerance, 3, decimalSeparator) + " m eingehalten");
        return lines;
    }
    lines.push_back("Toleranz " + metres(tolerance, 3, decimalSeparator) + " m überschritten:");
    for (std::size_t i = 0; i < outside.size() && i < maxStretches; ++i) {
        const Stretch& s = outside[i];
        const std::string side = s.above ? " m über dem Gelände" : " m unter dem Gelände";
        std::string line = "  " + std::string(s.line);
        if (s.from == s.to) {
            line += " bei " + station(s.from) + " m: " + m(s.worst) + side;
        } else {
            line += " " + station(s.from) + "–" + station(s.to) + " m: bis " + m(s.worst) + side +
                    " (bei " + station(s.worstAt) + " m)";
        }
        lines.push_back(line);
    }
    if (outside.size() > maxStretches) {
        lines.push_back("  … und " + std::to_string(outside.size() - maxStretches) +
                        " weitere Abschnitte");
    }
    return lines;
}

std::string clearanceCsv(const TerrainReport& report, char decimalSeparator) {
    std::string csv =
        "Station;Fahrbahn_rechts;Fahrbahn_links;Rand_rechts_aussen;Rand_links_aussen\r\n";
    for (const ClearanceRow& row : report.rows) {
        csv += formatDecimals(row.station, 3, decimalSeparator);
        for (const auto& h : row.height) {
            csv += ';';
            if (h) csv += formatDecimals(*h, 3, decimalSeparator);
        }
        csv += "\r\n";
    }
    return csv;
}

} // namespace trassolin
