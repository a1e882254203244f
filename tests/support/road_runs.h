#pragma once

// Roads for the tests of the mesh and its writers.

#include "generation/build.h"
#include "settings/parameter_set.h"

#include <filesystem>
#include <string>
#include <vector>

namespace trassolin::test {

// A bundled example ("landstrasse.ini"); with `allParts` both verges and the end faces on.
ParameterSet example(const std::string& file, bool allParts = false);

// The road of `params` as a run builds it (refined, read, built), its messages and status log
// left aside. Fails the calling test when the path cannot be refined.
RoadBuild meshOf(ParameterSet& params);

// What a whole run into a fresh folder left: whether it wrote, the document, its status log
// and its messages.
struct RunOutcome {
    bool written = false;
    std::string document;
    std::vector<std::string> log;
    std::vector<Message> messages;
};
// `gltf`, when given, names the glTF the run writes besides.
RunOutcome runOf(ParameterSet params, const std::filesystem::path& gltf = {});

} // namespace trassolin::test
