#pragma once

namespace trassolin {

// The angle normalisations of refinement and the edge profiles step by a whole turn in a
// loop. A huge value (1E20 degrees) would never leave such a loop, since adding one turn no
// longer changes it; these helpers first reduce such values exactly with fmod and run the
// stepping loop afterwards, so ordinary values come out bit for bit as the loop alone gives
// them. A NaN or infinite value throws FloatingPointError.

// Adds `turn` while the value is below `low`, then subtracts it while above `high`.
double raiseThenLower(double value, double low, double high, double turn);
// Subtracts `turn` while the value is above `high`, then adds it while below `low`.
double lowerThenRaise(double value, double low, double high, double turn);

} // namespace trassolin
