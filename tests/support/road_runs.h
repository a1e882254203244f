#pragma once

// Roads for the tests of the mesh and its writers.

#include "generation/build.h"
#include "settings/parameter_set.h"

#include <string>

namespace trassolin::test {

// A bundled example ("landstrasse.ini"); with `allParts` both verges and the end faces on.
ParameterSet example(const std::string& file, bool allParts = false);

// The road of `params` as a run builds it (refined, read, built), its messages and status log
// left aside. Fails the calling test when the path cannot be refined.
RoadBuild meshOf(ParameterSet& params);

} // namespace trassolin::test
