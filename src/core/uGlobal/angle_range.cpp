#include "uGlobal/angle_range.h"

#include "uGlobal/checked_math.h"

#include <cmath>

namespace trassolin {

namespace {

// Up to this many turns the plain loop runs (a few thousand steps at most); beyond it the
// value is reduced first. Nobody types an angle of more than a million degrees on purpose.
constexpr double kLoopTurns = 4096.0;

double reduced(double value, double turn) {
    requireFinite(value);
    // fmod is exact, and its result lies within one turn of zero with the sign of the value.
    return std::fabs(value) > kLoopTurns * turn ? std::fmod(value, turn) : value;
}

} // namespace

double raiseThenLower(double value, double low, double high, double turn) {
    double v = reduced(value, turn);
    while (v < low) v += turn;
    while (v > high) v -= turn;
    return v;
}

double lowerThenRaise(double value, double low, double high, double turn) {
    double v = reduced(value, turn);
    while (v > high) v -= turn;
    while (v < low) v += turn;
    return v;
}

} // namespace trassolin
