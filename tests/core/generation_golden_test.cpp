// Whole documents and status logs of the bundled examples and the benchmark roads, held as
// fingerprints of the bytes the generator wrote before its output path was made fast. Any
// change to a number, a line or the order of lines shows here.
#include "generation/random_sequence.h"
#include "generation/run.h"
#include "settings/parameter_file.h"
#include "settings/parameter_set.h"
#include "support/test_support.h"
#include "winding_road.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace trassolin {
namespace {

using test::sha256Hex;
using test::TempDir;

TEST(Sha256, matchesThePublishedTestVectors) {
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first padded block.
    EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

struct GoldenCase {
    std::string name;
    std::function<ParameterSet(const TempDir&)> load;
    std::string documentSha256;
    std::string logSha256; // the lines, each ended by "\n", as `trassolin-cli` prints them
    friend void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }
};

ParameterSet example(const char* file) {
    ParameterSet p;
    CollectingMessageSink messages;
    loadParameterFile(test::examplesDir() / file, p, messages);
    return p;
}

ParameterSet benchRoad(const TempDir& dir, double kilometres) {
    const auto file = dir / "road.ini";
    bench::writeWindingRoad(file, kilometres);
    return bench::loadWindingRoad(file);
}

class GoldenDocument : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenDocument, isByteForByteWhatTheGeneratorHasAlwaysWritten) {
    const GoldenCase& c = GetParam();
    TempDir dir;
    ParameterSet params = c.load(dir);
    CollectingMessageSink messages;
    CollectingStatusLog log;
    RandomSequence random;
    ASSERT_TRUE(runGeneration(params, dir / "out.i3d", messages, log, random, '.'));
    std::string logText;
    for (const std::string& line : log.lines) logText += line + "\n";
    EXPECT_EQ(sha256Hex(test::readFile(dir / "out.i3d")), c.documentSha256);
    EXPECT_EQ(sha256Hex(logText), c.logSha256);
}

INSTANTIATE_TEST_SUITE_P(
    ExamplesAndBenchmarkRoads, GoldenDocument,
    ::testing::Values(
        GoldenCase{"landstrasse", [](const TempDir&) { return example("landstrasse.ini"); },
                   "4f718342a7b8e619354402ff2eb81449dc6e83d7e07b7f7a651f1db9b33fb8c7",
                   "ac4d5ce96e2c6d3d81f52527c805694ac080d911837bcc8fc55c55d51c07812b"},
        GoldenCase{"dorfstrasse", [](const TempDir&) { return example("dorfstrasse.ini"); },
                   "72b3d49226615b3740c2ea04956731b8093553a83d322e41d008f5a47715a124",
                   "fbc1905f8e57ebb7032b769e9067f8728138221cc3607be7756b90c20e010013"},
        GoldenCase{"benchRoad1km", [](const TempDir& d) { return benchRoad(d, 1); },
                   "565a40fbbeff24dff52646b1911a3ae5491274dda752b3a850711496a9511e79",
                   "05d0e264d668b12fe8348e8d4c4086e5c645de8608c8562475ca84bc49f86b74"},
        GoldenCase{"benchRoad100km", [](const TempDir& d) { return benchRoad(d, 100); },
                   "b0da59954e10f5e3758b1363069dbc8cd932cb30abd589eac23f93b981ba49b2",
                   "5f829fb48fe47bfa682b6efccb77d4fe1c36f5cd4ef60fd90d374ff50ec6d4d4"}),
    [](const ::testing::TestParamInfo<GoldenCase>& test) { return test.param.name; });

} // namespace
} // namespace trassolin
