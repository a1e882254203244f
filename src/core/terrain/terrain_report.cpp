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

// A stretch of consecutive stations beyond the tolerance on one side of the ground.
struct Stretch {
    std::size_t group;
    bool above;
    double from, to;
    double worst, worstAt; // m beyond the ground (positive), station
};

std::vector<Stretch> stretches(const TerrainReport& report, double tolerance) {
    std::vector<Stretch> found;
    for (std::size_t g = 0; g < kGroups.size(); ++g) {
        for (const bool above : {true, false}) {
            std::optional<Stretch> open;
            for (const ClearanceRow& row : report.rows) {
                const auto e = extremes(row, kGroups[g]);
                if (!e) continue;
                const double beyond = above ? e->first : -e->second;
                if (!(beyond > tolerance)) {
                    if (open) found.push_back(*open);
                    open.reset();
                    continue;
                }
                if (!open) open = Stretch{g, above, row.station, row.station, beyond, row.station};
                open->to = row.station;
                if (beyond > open->worst) {
                    open->worst = beyond;
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
            if (h && std::abs(*h) > tolerance) return true;
        }
    }
    return false;
}

std::vector<std::string> reportLines(const TerrainReport& report, double tolerance,
                                     char decimalSeparator, std::size_t maxStretches) {
    const auto m = [&](double v) { return metres(v, 2, decimalSeparator); };
    const auto station = [&](double s) { return metres(s, 1, decimalSeparator); };
    std::string summary;
    for (const Group& g : kGroups) {
        std::optional<std::pair<double, double>> highest, lowest; // height, station
        for (const ClearanceRow& row : report.rows) {
            const auto e = extremes(row, g);
            if (!e) continue;
            if (!highest || e->first > highest->first) highest = std::pair{e->first, row.station};
            if (!lowest || e->second < lowest->first) lowest = std::pair{e->second, row.station};
        }
        if (!highest) continue;
        const double above = decimalRound(std::max(highest->first, 0.0), -2);
        const double below = decimalRound(std::max(-lowest->first, 0.0), -2);
        if (!summary.empty()) summary += "; ";
        summary += std::string(g.name) + ": max. " + m(above) + " m über";
        if (above > 0.0) summary += " (bei " + station(highest->second) + " m)";
        summary += ", " + m(below) + " m unter dem Gelände";
        if (below > 0.0) summary += " (bei " + station(lowest->second) + " m)";
    }
    std::vector<std::string> lines;
    if (!summary.empty()) lines.push_back(summary);

    const std::vector<Stretch> beyond = stretches(report, tolerance);
    if (beyond.empty()) {
        lines.push_back("Toleranz " + metres(tolerance, 3, decimalSeparator) + " m eingehalten");
        return lines;
    }
    lines.push_back("Toleranz " + metres(tolerance, 3, decimalSeparator) + " m überschritten:");
    for (std::size_t i = 0; i < beyond.size() && i < maxStretches; ++i) {
        const Stretch& s = beyond[i];
        const std::string side = s.above ? " m über dem Gelände" : " m unter dem Gelände";
        std::string line = "  " + std::string(kGroups[s.group].name);
        if (s.from == s.to) {
            line += " bei " + station(s.from) + " m: " + m(s.worst) + side;
        } else {
            line += " " + station(s.from) + "–" + station(s.to) + " m: bis " + m(s.worst) + side +
                    " (bei " + station(s.worstAt) + " m)";
        }
        lines.push_back(line);
    }
    if (beyond.size() > maxStretches) {
        lines.push_back("  … und " + std::to_string(beyond.size() - maxStretches) +
                        " weitere Abschnitte");
    }
    return lines;
}

std::string clearanceCsv(const TerrainReport& report, char decimalSeparator) {
    std::string csv =
        "Station;Fahrbahn_rechts;Fahrbahn_links;Rand_rechts_aussen;Rand_links_aussen\r\n";
    for (const ClearanceRow& row : report.rows) {
        csv += metres(row.station, 3, decimalSeparator);
        for (const auto& h : row.height) {
            csv += ';';
            if (h) csv += metres(*h, 3, decimalSeparator);
        }
        csv += "\r\n";
    }
    return csv;
}

} // namespace trassolin
