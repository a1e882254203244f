#include "settings/parameter_file.h"

#include "io/paths.h"
#include "settings/parameter_rows.h"
#include "settings/parameter_rules.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <algorithm>
#include <string>

namespace trassolin {

namespace {

std::string concat(std::string_view a, std::string_view b) {
    std::string out(a);
    out += b;
    return out;
}

std::string numbered(std::string_view stem, int n) {
    return concat(stem, formatInteger(n));
}

// A list length as stored: the row's default when absent or no whole number, and a
// ConversionError naming the stored text and the limit when it is beyond `limit` `entries`.
int readCount(const IniFile& ini, const ParameterRow& row, std::string_view section, int limit,
              std::string_view entries) {
    const int fallback = parseProfileInteger(*row.loadDefault).value_or(0);
    const auto text = ini.find(section, row.key);
    if (!text) return fallback;
    const auto value = parseProfileInteger(*text);
    if (!value) return fallback;
    if (*value > limit) {
        ConversionError error(quotedValue(*text) + " ist zu groß: Trassolin liest höchstens " +
                              formatGrouped(limit) + " " + std::string(entries));
        error.where.section = section;
        error.where.key = row.key;
        throw error;
    }
    return *value;
}

// Switching an edge off clears the end-face fill, as the edge's check box does.
void edgeSwitched(ParameterSet& set) {
    set.fuellFlaecheErzeugen =
        fillStaysOn(set.fuellFlaecheErzeugen, set.rechterRand.enabled, set.linkerRand.enabled);
}

// The main window shows segment 1 after a load, or the origin when it is alone.
void showFirstSegment(TRandPunkte& edge) {
    edge.current = std::min(1, edge.count() - 1);
}

// A value that is no number names the file it stood in; the rows name section and key.
template <class Load> void namingTheFile(const std::filesystem::path& file, Load&& load) {
    locatingConversionErrors(load, [&](ValueLocation& where) { where.file = file; });
}

template <class Object>
void saveScope(IniFile& ini, Scope scope, const Object& object, char separator) {
    rows::forEach(scope,
                  [&](const ParameterRow& row) { rows::write(ini, row, object, separator); });
}

template <class Object>
void loadScope(const IniFile& ini, Scope scope, Object& object, ParameterSet* reactions = nullptr) {
    rows::forEach(scope, [&](const ParameterRow& row) {
        rows::read(ini, row, object);
        if (row.reaction && reactions) row.reaction(*reactions);
    });
}

// The [KI] section is written only once it says something: the file of a road without these
// options stays byte for byte what it was. A file that has the section always gets it, so
// that switching every option off reaches the file and the next load keeps them off.
bool gameSectionWanted(const IniFile& ini, const ParameterSet& set) {
    bool wanted = false;
    rows::forEach(Scope::Game, [&](const ParameterRow& row) {
        if (ini.hasSection(row.section)) wanted = true;
        if (rows::formatted(row, set, '.') != row.startValue) wanted = true;
    });
    return wanted;
}

} // namespace

void saveEdgeProfile(IniFile& ini, const TRandPunkte& edge, std::string_view prefix,
                     char decimalSeparator) {
    for (Scope scope : {Scope::Edge, Scope::EdgeOrigin}) {
        rows::forEach(scope, [&](const ParameterRow& row) {
            rows::write(ini, row, edge, concat(prefix, row.section), row.key, decimalSeparator);
        });
    }
    for (int i = 0; i < edge.count(); ++i) {
        const Randsegment& segment = *edge.getSegment(i);
        rows::forEach(Scope::Segment, [&](const ParameterRow& row) {
            rows::write(ini, row, segment, concat(prefix, row.section), numbered(row.key, i),
                        decimalSeparator);
        });
    }
}

void loadEdgeProfile(const IniFile& ini, TRandPunkte& edge, std::string_view prefix,
                     MessageSink& messages) {
    int segments = 0;
    rows::forEach(Scope::Edge, [&](const ParameterRow& row) {
        const std::string section = concat(prefix, row.section);
        if (row.form == ValueForm::Count) {
            segments = std::max(0, readCount(ini, row, section, kMaxEdgeSegments, "Randsegmente"));
        } else {
            rows::read(ini, row, edge, section, row.key);
        }
    });
    edge.resize(segments + 1, messages);
    rows::forEach(Scope::EdgeOrigin, [&](const ParameterRow& row) {
        rows::read(ini, row, edge, concat(prefix, row.section), row.key);
    });
    for (int i = 0; i <= segments; ++i) {
        Randsegment& segment = *edge.getSegment(i);
        rows::forEach(Scope::Segment, [&](const ParameterRow& row) {
            rows::read(ini, row, segment, concat(prefix, row.section), numbered(row.key, i));
        });
        edge.updateSegmentGeometry(i);
    }
    edge.recompute(messages);
}

void saveSplinePoints(IniFile& ini, const TSplinePunkte& points, char decimalSeparator) {
    saveScope(ini, Scope::Splines, points, decimalSeparator);
    for (int p = 1; p <= points.count(); ++p) {
        const TSplinePkt& point = *points.get(p - 1);
        rows::forEach(Scope::SplinePoint, [&](const ParameterRow& row) {
            rows::write(ini, row, point, numbered(row.section, p), row.key, decimalSeparator);
        });
    }
}

void loadSplinePoints(const IniFile& ini, TSplinePunkte& points) {
    int n = 0;
    rows::forEach(Scope::Splines, [&](const ParameterRow& row) {
        if (row.form == ValueForm::Count) n = readCount(ini, row, row.section, kMaxSplinePoints, "Spline-Punkte");
    });
    for (int p = 1; p <= n; ++p) {
        if (points.count() < p) points.append();
        TSplinePkt& point = *points.get(p - 1);
        rows::forEach(Scope::SplinePoint, [&](const ParameterRow& row) {
            rows::read(ini, row, point, numbered(row.section, p), row.key);
        });
    }
    while (points.count() > std::max(n, 0))
        points.erase(points.count() - 1);
    points.setCurrent(0);
}

void saveFill(IniFile& ini, const TFuellFlaeche& fill, char decimalSeparator) {
    saveScope(ini, Scope::Fill, fill, decimalSeparator);
}

void loadFill(const IniFile& ini, TFuellFlaeche& fill) {
    loadScope(ini, Scope::Fill, fill);
}

void saveParameterSet(IniFile& ini, const ParameterSet& set, char decimalSeparator) {
    saveScope(ini, Scope::Fields, set, decimalSeparator);
    saveEdgeProfile(ini, set.rechterRand, kRightEdgePrefix, decimalSeparator);
    saveEdgeProfile(ini, set.linkerRand, kLeftEdgePrefix, decimalSeparator);
    saveSplinePoints(ini, set.splines, decimalSeparator);
    saveScope(ini, Scope::Preferences, set.preferences, decimalSeparator);
    saveScope(ini, Scope::FillSwitch, set, decimalSeparator);
    saveFill(ini, set.fill, decimalSeparator);
    if (gameSectionWanted(ini, set)) saveScope(ini, Scope::Game, set, decimalSeparator);
}

void loadParameterSet(const IniFile& ini, ParameterSet& set, MessageSink& messages) {
    loadScope(ini, Scope::Fields, set, &set);
    loadEdgeProfile(ini, set.rechterRand, kRightEdgePrefix, messages);
    edgeSwitched(set);
    showFirstSegment(set.rechterRand);
    loadEdgeProfile(ini, set.linkerRand, kLeftEdgePrefix, messages);
    edgeSwitched(set);
    showFirstSegment(set.linkerRand);
    loadSplinePoints(ini, set.splines);
    loadScope(ini, Scope::Preferences, set.preferences);
    loadScope(ini, Scope::FillSwitch, set, &set);
    loadFill(ini, set.fill);
    loadScope(ini, Scope::Game, set);
}

void saveParameterFile(const std::filesystem::path& file, const ParameterSet& set,
                       char decimalSeparator) {
    IniFile ini = IniFile::readForUpdate(file);
    saveParameterSet(ini, set, decimalSeparator);
    ini.save(file);
}

namespace {

// A file none of whose sections this program writes was not read as a parameter file (a
// foreign file, or an encoding nothing here understands): loading it would put the load
// defaults everywhere, and a later save would write them over the user's file.
IniFile readParameterFile(const std::filesystem::path& file) {
    IniFile ini = IniFile::read(file);
    for (const std::string_view section :
         {"Preferences", "Fahrbahn_Geo", "Fahrbahn_Textur", "TrafficSplines", "Rand_rechts_Geo",
          "Rand_rechts_Textur", "Rand_links_Geo", "Rand_links_Textur", "Splines", "SplinePts1",
          "FuellFlaeche"}) {
        if (ini.hasSection(section)) return ini;
    }
    throw TrassolinError(displayPath(file) + " ist keine Parameterdatei");
}

} // namespace

void loadParameterFile(const std::filesystem::path& file, ParameterSet& set,
                       MessageSink& messages) {
    const IniFile ini = readParameterFile(file);
    namingTheFile(file, [&] { loadParameterSet(ini, set, messages); });
}

void loadEdgeFromParameterFile(const std::filesystem::path& file, ParameterSet& set, EdgeSide side,
                               MessageSink& messages) {
    const IniFile ini = readParameterFile(file);
    TRandPunkte& edge = side == EdgeSide::Right ? set.rechterRand : set.linkerRand;
    namingTheFile(file, [&] { loadEdgeProfile(ini, edge, kRightEdgePrefix, messages); });
    edgeSwitched(set);
    if (edge.enabled) {
        showFirstSegment(edge);
    } else {
        edge.current = std::min(edge.current, edge.count() - 1);
    }
}

} // namespace trassolin
