// The glTF files of the bundled examples and of a 10 km road before the Khronos glTF
// validator (tools/gltf-validator, installed by scripts/install-deps.sh and run with Node).
#include "generation/random_sequence.h"
#include "generation/run.h"
#include "support/road_runs.h"
#include "support/test_support.h"
#include "winding_road.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace trassolin {
namespace {

bool validatorInstalled() {
    const std::filesystem::path script = TRASSOLIN_GLTF_VALIDATOR;
    return std::filesystem::exists(script.parent_path() / "node_modules" / "gltf-validator") &&
           std::system("node --version >/dev/null 2>&1") == 0;
}

TEST(GltfValidator, findsNoErrorAndNoWarningInTheExamplesAndATenKilometreRoad) {
    if (!validatorInstalled()) {
        // CI installs it (scripts/install-deps.sh): there its absence is a failure.
        if (std::getenv("CI") != nullptr) FAIL() << "the glTF validator is not installed";
        GTEST_SKIP() << "the glTF validator is not installed (scripts/install-deps.sh)";
    }
    test::TempDir dir;
    bench::writeWindingRoad(dir / "road-10km.ini", 10);
    struct Road {
        std::string name;
        ParameterSet params;
    } roads[] = {{"landstrasse", test::example("landstrasse.ini", true)},
                 {"dorfstrasse", test::example("dorfstrasse.ini", true)},
                 {"road-10km", bench::loadWindingRoad(dir / "road-10km.ini")}};
    std::string files;
    for (Road& road : roads) {
        for (const char* extension : {".glb", ".gltf"}) {
            ParameterSet params = road.params;
            CollectingMessageSink messages;
            CollectingStatusLog log;
            RandomSequence random;
            const auto gltf = dir / (road.name + extension);
            ASSERT_TRUE(runGeneration(params, dir / (road.name + ".i3d"), messages, log, random,
                                      '.', {.gltf = gltf}));
            files += " '" + gltf.string() + "'";
        }
    }
    const auto report = dir / "report.txt";
    const int status = std::system(("node '" + std::string(TRASSOLIN_GLTF_VALIDATOR) + "'" + files +
                                    " > '" + report.string() + "' 2>&1")
                                       .c_str());
    const std::string text = test::readFile(report);
    EXPECT_EQ(status, 0) << text;
    std::size_t clean = 0;
    for (auto at = text.find(": 0 Fehler, 0 Warnungen,"); at != std::string::npos;
         at = text.find(": 0 Fehler, 0 Warnungen,", at + 1)) {
        ++clean;
    }
    EXPECT_EQ(clean, 6u) << text;
}

} // namespace
} // namespace trassolin
