#pragma once

// "Prüfen": the road built as a run builds it, in memory, and its traffic curves checked as
// the game drives them (mesh/curve_check.h). Nothing is written.

#include "generation/random_sequence.h"
#include "mesh/curve_check.h"
#include "settings/parameter_set.h"
#include "uGlobal/messages.h"

#include <optional>
#include <string>
#include <vector>

namespace trassolin {

// The radius below which a curve is reported when [KI] MaxWenderadius is empty, m.
inline constexpr double kDefaultMinCurveRadius = 20.0;

struct RoadCheck {
    std::vector<std::string> lines; // the findings, or "Keine Befunde"; what was not checked first
    std::size_t findings = 0;
};

// A finding as the user reads it: "Kurve rechts bei 1 234 m: 0,62 m über der Fahrbahn".
std::string describeFinding(const CurveFinding& finding, double minRadius, char decimalSeparator);

// Builds the road of `params` as a run would (the next run: `random` is a copy of the
// window's sequence) and checks its curves against the road surface and for bends tighter
// than [KI] MaxWenderadius, or 20 m. Nothing when the build stopped: `messages` then has
// said why, as for a run.
std::optional<RoadCheck> checkRoad(ParameterSet params, MessageSink& messages,
                                   RandomSequence random, char decimalSeparator);

} // namespace trassolin
