#pragma once

#include "settings/parameter_set.h"

#include <QString>

#include <optional>

namespace trassolin {
enum class Scope;
}

namespace trassolin::gui {

// Everything the main window holds about the road it shows: the parameter set with the field
// texts read into it, and which parameter file the road came from or went to. Undo restores
// such a state as a whole; a load is read into a copy of one and applied only when complete.
struct WindowState {
    ParameterSet params;
    QString caption;  // lblParameter1: "Parameter geladen aus", "Parameter gespeichert in"
    QString fileName; // lblParameter: the file without its folder, or "frei eingegeben"
    QString roadFile; // the parameter file itself, full path; empty for a road not yet saved
};

// Where two parameter sets first differ, in the order of a parameter file. `member` is the
// differing value in the second set for the window's own fields (holder 1 and the fill box),
// null for values of the model objects; `profile` the second set's edge profile that differs.
struct Difference {
    Scope scope;
    const void* member = nullptr;
    const TRandPunkte* profile = nullptr;
};

// The first value a parameter file stores in which `after` differs from `before`; nothing
// when they hold the same road. What only follows the stored values (computed geometry, the
// selected segment or point) is no difference; reals are compared exactly, not as written.
std::optional<Difference> firstDifference(const ParameterSet& before, const ParameterSet& after);

// A profile as a new window holds it: switched off or on, but never given a value.
bool untouchedProfile(const TRandPunkte& profile);

} // namespace trassolin::gui
