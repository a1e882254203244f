#include "uGlobal/degrees.h"

#include "uGlobal/numbers.h"

#include <numbers>

namespace trassolin {

double radiansFromDegrees(double degrees) { return degrees * std::numbers::pi / 180.0; }

std::string formatDegrees(double radians, char decimalSeparator) {
    return formatGeneral(decimalRound(radians * 180.0 / std::numbers::pi, -2), decimalSeparator);
}

} // namespace trassolin
