#pragma once

// The benchmark road: a winding, climbing country road with every part on. It is defined by
// the parameter file that writeWindingRoad produces, so that the benchmarks, the byte-identity
// tests and anyone with the command line (`trassolin-cli generate`) build the very same road.

#include "settings/parameter_set.h"

#include <filesystem>

namespace trassolin::bench {

// Control points 50 m apart, so a road of `kilometres` has 20 points per kilometre plus one.
int windingRoadPoints(double kilometres);

// Writes the road's parameter file (decimal point) over `file`.
void writeWindingRoad(const std::filesystem::path& file, double kilometres);

// The parameter set as a run reads it from that file.
ParameterSet loadWindingRoad(const std::filesystem::path& file);

} // namespace trassolin::bench
