#include "support/road_runs.h"

#include "settings/parameter_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace trassolin::test {

ParameterSet example(const std::string& file, bool allParts) {
    ParameterSet p;
    CollectingMessageSink messages;
    loadParameterFile(examplesDir() / file, p, messages);
    if (allParts) {
        p.rechterRand.enabled = p.linkerRand.enabled = true;
        p.fuellFlaecheErzeugen = true;
    }
    return p;
}

RoadBuild meshOf(ParameterSet& params) {
    CollectingMessageSink messages;
    CollectingStatusLog log;
    RandomSequence random;
    EXPECT_TRUE(params.splines.refine(messages, '.'));
    const RunInputs in = readRunInputs(params, log, '.');
    return buildRoadMesh(params, in, messages, log, random);
}

} // namespace trassolin::test
