#include "settings/parameter_set.h"

#include "settings/parameter_rows.h"

namespace trassolin {

// Counts and the per-segment and per-point values need no step here: the model objects are
// created with them (the table tests hold the two in step).
ParameterSet::ParameterSet() {
    rows::forEach(Scope::Fields,
                  [&](const ParameterRow& row) { rows::applyStartValue(row, *this); });
    for (Scope scope : {Scope::FillSwitch, Scope::Game, Scope::AiLimits, Scope::GameShapes}) {
        rows::forEach(scope, [&](const ParameterRow& row) { rows::applyStartValue(row, *this); });
    }
    rows::forEach(Scope::Preferences,
                  [&](const ParameterRow& row) { rows::applyStartValue(row, preferences); });
    for (TRandPunkte* edge : {&rechterRand, &linkerRand}) {
        rows::forEach(Scope::Edge,
                      [&](const ParameterRow& row) { rows::applyStartValue(row, *edge); });
        rows::forEach(Scope::EdgeOrigin,
                      [&](const ParameterRow& row) { rows::applyStartValue(row, *edge); });
    }
    rows::forEach(Scope::Fill, [&](const ParameterRow& row) { rows::applyStartValue(row, fill); });
}

} // namespace trassolin
