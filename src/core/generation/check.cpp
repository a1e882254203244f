#include "generation/check.h"

#include "generation/build.h"
#include "generation/game_inputs.h"
#include "generation/run_inputs.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <cmath>
#include <new>

namespace trassolin {

namespace {

const char* curveName(CurveKind kind) {
    switch (kind) {
    case CurveKind::Middle:
        return "Kurve Mitte";
    case CurveKind::Right:
        return "Kurve rechts";
    case CurveKind::Left:
        return "Kurve links";
    }
    return "Kurve";
}

// A build whose report nobody reads: the check speaks for itself.
class DiscardedLog final : public StatusLog {
public:
    void clear() override {}
    void append(std::string_view) override {}
};

} // namespace

std::string describeFinding(const CurveFinding& f, double minRadius, char separator) {
    const std::string metres = std::isfinite(f.value) ? formatDecimals(f.value, 2, separator) : "";
    std::string what;
    switch (f.kind) {
    case CurveFindingKind::AboveSurface:
        what = metres + " m über der Fahrbahn";
        break;
    case CurveFindingKind::BelowSurface:
        what = metres + " m unter der Fahrbahn";
        break;
    case CurveFindingKind::BesideRoad:
        what = (metres.empty() ? std::string("weit") : metres + " m") + " neben der Fahrbahn";
        break;
    case CurveFindingKind::TightBend:
        what = "Radius " + metres + " m, kleiner als " + formatGeneral(minRadius, separator) + " m";
        break;
    }
    std::string line = std::string(curveName(f.curve)) + " bei " + formatGrouped(f.station, ' ') +
                       " m: " + what;
    // A stretch of several metres says where it begins and ends.
    const std::string from = formatGrouped(f.from, ' '), to = formatGrouped(f.to, ' ');
    if (from != to) line += " (" + from + " bis " + to + " m)";
    return line;
}

std::optional<RoadCheck> checkRoad(ParameterSet params, MessageSink& messages,
                                   RandomSequence random, char separator) {
    if (params.splines.count() < 2) {
        messages.show(MessageKind::Warning, "Zu wenig SplinePunkte");
        return std::nullopt;
    }
    if (!params.splines.refine(messages, separator)) return std::nullopt;
    try {
        DiscardedLog log;
        const RunInputs in = readRunInputs(params, log, separator);
        CurveCheckLimits limits;
        limits.minRadius = readMaxTurningRadius(params).value_or(kDefaultMinCurveRadius);
        const RoadBuild built = buildRoadMesh(params, in, messages, log, random);

        RoadCheck result;
        if (built.mesh.curves.empty()) {
            result.lines.emplace_back("Keine Verkehrskurve eingeschaltet – nichts zu prüfen");
        }
        const CurveCheck check = checkTrafficCurves(built.mesh, limits);
        if (!built.mesh.curves.empty() && !check.surfaceChecked) {
            result.lines.emplace_back("Ohne Fahrbahn: nur die Radien der Kurven geprüft");
        }
        for (const CurveFinding& f : check.findings) {
            result.lines.push_back(describeFinding(f, limits.minRadius, separator));
        }
        result.findings = check.findings.size();
        if (result.findings == 0) result.lines.emplace_back("Keine Befunde");
        return result;
    } catch (const RunStopped&) {
        return std::nullopt;
    } catch (const TrassolinError& e) {
        messages.showError(e);
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        messages.show(MessageKind::Error, kOutOfMemory);
        return std::nullopt;
    }
}

} // namespace trassolin
