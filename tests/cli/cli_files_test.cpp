// What the command line does with odd targets, two files replaced together and interrupts:
// the old files stay byte for byte unless a complete new one takes their place.

#include "cli_runner.h"
#include "support/test_support_posix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trassolin::test {
namespace {

// A parameter file whose TexL0 cannot be saved must keep the old document too: both files are
// written completely before either replaces its old one.
TEST(CliFiles, writeTexL0ReplacesNeitherFileWhenTheParameterFileCannotTakeIt) {
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    writeFile(dir / "p.ini", roadFile());
    writeFile(dir / "out.i3d", "old document");
    ::chmod((dir / "out.i3d").c_str(), 0666);
    ::chmod((dir / "p.ini").c_str(), 0444); // readable, not writable for an ordinary user
    const auto before = snapshot(dir);
    const auto program = runnableByOrdinaryUser(TRASSOLIN_CLI_PATH);
    if (!program) GTEST_SKIP() << "no folder where an ordinary user can run trassolin-cli";
    const auto result = asOrdinaryUser([&] {
        const Outcome o = cli(dir, "generate --write-texl0 p.ini out.i3d", "", program->string());
        return std::to_string(o.status) + "\n" + o.err;
    });
    if (!result) GTEST_SKIP() << "cannot run as an ordinary user here";
    const std::string status = result->substr(0, result->find('\n'));
    const std::string err = result->substr(result->find('\n') + 1);
    EXPECT_EQ(status, "1") << err;
    EXPECT_NE(err.find("In p.ini kann nicht geschrieben werden"), std::string::npos) << err;
    EXPECT_TRUE(err.ends_with(stopped("out.i3d", true))) << err;
    EXPECT_EQ(snapshot(dir), before);
}

// A folder that may not be written is named as the reason, not the file that is not there.
TEST(CliFiles, aFolderThatMayNotBeWrittenIsNamed) {
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    writeFile(dir / "p.ini", roadFile());
    ::chmod((dir / "p.ini").c_str(), 0644);
    std::filesystem::create_directory(dir / "ro");
    ::chmod((dir / "ro").c_str(), 0555);
    const auto program = runnableByOrdinaryUser(TRASSOLIN_CLI_PATH);
    if (!program) GTEST_SKIP() << "no folder where an ordinary user can run trassolin-cli";
    const auto err = asOrdinaryUser(
        [&] { return cli(dir, "generate p.ini ro/out.i3d", "", program->string()).err; });
    if (!err) GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(*err, "Fehler: Dateizugriff verweigert: ro/out.i3d – in den Ordner ro darf nicht "
                    "geschrieben werden\n" +
                        stopped("ro/out.i3d", false));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "ro"));
}

TEST(CliFiles, writeTexL0ReplacesBothFilesAndLeavesNothingElse) {
    TempDir dir;
    writeFile(dir / "p.ini", roadFile());
    writeFile(dir / "out.i3d", "old document");
    const Outcome o = cli(dir, "generate --write-texl0 p.ini out.i3d");
    EXPECT_EQ(o.status, 0) << o.err;
    const auto after = snapshot(dir);
    EXPECT_EQ(after.size(), 2u);
    EXPECT_NE(after.at("out.i3d"), "old document");
    EXPECT_NE(after.at("p.ini").find("TexL0="), std::string::npos);
    EXPECT_EQ(after.at("p.ini").find("TexL0=0,25"), std::string::npos);
}

TEST(CliFiles, onlyARegularFileIsEverReplaced) {
    TempDir dir;
    writeFile(dir / "p.ini", roadFile());
    ASSERT_EQ(::mkfifo((dir / "pipe.i3d").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/null", dir / "null.i3d");
    for (const std::string target : {"/dev/null", "pipe.i3d", "null.i3d"}) {
        const Outcome o = cli(dir, "generate p.ini " + target);
        EXPECT_EQ(o.status, 1) << target;
        EXPECT_NE(o.err.find(target + " ist keine normale Datei"), std::string::npos) << o.err;
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe.i3d"));
}

TEST(CliFiles, aLinkThatLeadsNowhereIsRefusedByName) {
    TempDir dir;
    writeFile(dir / "p.ini", roadFile());
    std::filesystem::create_symlink("gone/road.i3d", dir / "link.i3d");
    const Outcome o = cli(dir, "generate p.ini link.i3d");
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Der Verweis link.i3d führt ins Leere"), std::string::npos) << o.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.i3d"));
    EXPECT_FALSE(std::filesystem::exists(dir / "gone"));
}

TEST(CliFiles, theLongestFileNameIsWritten) {
    TempDir dir;
    writeFile(dir / "p.ini", roadFile());
    const std::string name = std::string(251, 's') + ".i3d"; // 255 bytes
    const Outcome o = cli(dir, "generate p.ini " + name);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(std::filesystem::exists(dir / name));
}

// A long road, stopped by a signal at some point of its run: whenever that is, the folder holds
// no other file than before, and the document is the old one or a complete new one.
TEST(CliFiles, anInterruptedRunLeavesNoFileBehind) {
    TempDir dir;
    std::string points = "[Splines]\r\nAnzahl=1500\r\n";
    for (int p = 2; p <= 1500; ++p) {
        points += "[SplinePts" + std::to_string(p) + "]\r\nZ=" + std::to_string(50 * (p - 1)) + "\r\n";
    }
    writeFile(dir / "p.ini", "[Fahrbahn_Geo]\r\nBreite=7\r\n[Fahrbahn_Textur]\r\nLaenge=1\r\n"
                             "[Preferences]\r\nminLaenge=0,1\r\n" + points);
    const std::vector<std::string> names{"out.i3d", "p.ini"};
    int interrupted = 0;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
        for (const int delayMs : {10, 40, 120}) {
            writeFile(dir / "out.i3d", "old document");
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
                ::freopen("/dev/null", "w", stdout);
                ::freopen("/dev/null", "w", stderr);
                ::execl(TRASSOLIN_CLI_PATH, "trassolin-cli", "generate", "p.ini", "out.i3d",
                        static_cast<char*>(nullptr));
                ::_exit(127);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            ::kill(child, signal);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            if (WIFSIGNALED(status)) ++interrupted;
            EXPECT_EQ(entryNames(dir.path()), names) << "signal " << signal << " after " << delayMs;
            const std::string document = readFile(dir / "out.i3d");
            EXPECT_TRUE(document == "old document" || document.ends_with("</i3D>\r\n"))
                << "signal " << signal << " after " << delayMs << " ms: a partial document";
        }
    }
    EXPECT_GT(interrupted, 0) << "no run was interrupted: the road is too short for this test";
}

} // namespace
} // namespace trassolin::test
