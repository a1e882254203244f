#pragma once

// Angles are radians inside the model and degrees wherever a person reads or types them
// (fields, listings, parameter files).

#include <string>

namespace trassolin {

double radiansFromDegrees(double degrees);

// Degrees rounded to 0.01, in the general form with `decimalSeparator`.
std::string formatDegrees(double radians, char decimalSeparator);

} // namespace trassolin
