// pruefen: the road built in memory and its traffic curves checked; nothing written, the
// verdict in the exit status.

#include "cli_runner.h"

#include <gtest/gtest.h>

#include <string>

namespace trassolin::test {
namespace {

// The straight 30 m road with its curves on; `extra` is appended to the file.
std::string roadWithCurves(const std::string& extra = "") {
    return roadFile() + "[TrafficSplines]\r\nMitte=1\r\nRechts=1\r\nRechtsProzent=" + extra;
}

TEST(CliCheck, saysKeineBefundeAndWritesNothing) {
    TempDir dir;
    writeFile(dir / "p.ini", roadWithCurves("50\r\n"));
    const auto before = snapshot(dir);
    const Outcome o = cli(dir, "pruefen p.ini");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "Keine Befunde\n");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(snapshot(dir), before);
}

TEST(CliCheck, listsEachFindingAndExitsWithOne) {
    TempDir dir;
    // The right lane at 150 % runs 1,75 m beside the 7 m road.
    writeFile(dir / "p.ini", roadWithCurves("150\r\n"));
    const Outcome o = cli(dir, "--decimal-separator , pruefen p.ini");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "Kurve rechts bei 0 m: 1,75 m neben der Fahrbahn (0 bis 30 m)\n");
    EXPECT_EQ(o.err, "");
}

TEST(CliCheck, aRoadThatCannotBeBuiltIsNoCheck) {
    TempDir dir;
    writeFile(dir / "p.ini", roadWithCurves("viel\r\n"));
    const Outcome o = cli(dir, "pruefen p.ini");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "Fehler: p.ini [TrafficSplines] RechtsProzent: 'viel' ist kein gültiger "
                     "Gleitkommawert\nFehler: Abgebrochen – nicht geprüft\n");
    const Outcome missing = cli(dir, "pruefen fehlt.ini");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.ends_with("Fehler: Abgebrochen – nicht geprüft\n")) << missing.err;
    const Outcome usage = cli(dir, "pruefen p.ini q.ini");
    EXPECT_EQ(usage.status, 2);
}

TEST(CliCheck, hasItsOwnHelpWithItsExitStatus) {
    TempDir dir;
    const Outcome o = cli(dir, "pruefen --help");
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("Rückgabewert: 0 keine Befunde, 1 Befunde"), std::string::npos) << o.out;
    EXPECT_NE(cli(dir, "--help").out.find("pruefen"), std::string::npos);
}

} // namespace
} // namespace trassolin::test
