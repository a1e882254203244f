// OutputFile behaviour that only POSIX systems have: permissions and the umask, symbolic
// links, FIFOs and sockets, signals, file size limits and errno values.

#include "io/output_file.h"
#include "io/paths.h"
#include "uGlobal/errors.h"

#include "core/output_file_test.h"
#include "support/test_support.h"
#include "support/test_support_posix.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trassolin {
namespace {

namespace fs = std::filesystem;
using test::ioErrorOf;
using test::kOldDocument;

TEST(OutputFile, aNewFileGetsTheUsualPermissionsAndAReplacedOneKeepsItsOwn) {
    test::TempDir dir;
    const mode_t mask = ::umask(022);
    {
        OutputFile out(dir / "new.i3d");
        out.commit();
    }
    ::umask(mask);
    EXPECT_EQ(fs::status(dir / "new.i3d").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);

    test::writeFile(dir / "old.i3d", kOldDocument);
    fs::permissions(dir / "old.i3d", fs::perms::owner_read | fs::perms::owner_write |
                                         fs::perms::group_read | fs::perms::group_write);
    {
        OutputFile out(dir / "old.i3d");
        out.commit();
    }
    EXPECT_EQ(fs::status(dir / "old.i3d").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::group_write);
}

TEST(OutputFile, aSymbolicLinkIsWrittenThroughAndStaysALink) {
    test::TempDir dir;
    fs::create_directory(dir / "real");
    test::writeFile(dir / "real/road.i3d", kOldDocument);
    fs::create_symlink("real/road.i3d", dir / "link.i3d");
    {
        OutputFile out(dir / "link.i3d");
        out.write("new");
        out.commit();
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.i3d"));
    EXPECT_EQ(test::readFile(dir / "real/road.i3d"), "new");
    EXPECT_EQ(test::entryNames(dir / "real"), std::vector<std::string>{"road.i3d"});
}

TEST(OutputFile, aReadOnlyTargetOrFolderIsAccessDenied) {
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all); // an ordinary user may look inside
    test::writeFile(dir / "locked.i3d", kOldDocument);
    fs::permissions(dir / "locked.i3d", fs::perms::owner_read);
    fs::create_directory(dir / "ro");
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    const auto errors = test::asOrdinaryUser([&] {
        return ioErrorOf([&] { OutputFile out(dir / "locked.i3d"); }) + "|" +
               ioErrorOf([&] { OutputFile out(dir / "ro/road.i3d"); });
    });
    if (!errors) GTEST_SKIP() << "cannot run as an ordinary user here";
    // The file itself is locked; in the other case only its folder is.
    EXPECT_EQ(*errors, "Dateizugriff verweigert|Dateizugriff verweigert: " +
                           (dir / "ro/road.i3d").string() + " – in den Ordner " +
                           (dir / "ro").string() + " darf nicht geschrieben werden");
    EXPECT_EQ(test::readFile(dir / "locked.i3d"), kOldDocument);
    EXPECT_TRUE(fs::is_empty(dir / "ro"));
}

TEST(OutputFile, onlyARegularFileIsEverReplaced) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir / "sock").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("/dev/null", dir / "null-link");
    for (const fs::path& target : {fs::path("/dev/null"), dir / "pipe", dir / "sock", dir / "null-link"}) {
        EXPECT_EQ(ioErrorOf([&] { OutputFile out(target); }),
                  displayPath(target) + " ist keine normale Datei")
            << target;
    }
    ::close(sock);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_TRUE(fs::is_symlink(dir / "null-link"));
}

TEST(OutputFile, aLinkThatLeadsNowhereIsRefusedByName) {
    test::TempDir dir;
    fs::create_symlink("missing.i3d", dir / "dangling.i3d");
    fs::create_symlink("no/such/folder/road.i3d", dir / "into-nothing.i3d");
    fs::create_symlink("loop-b.i3d", dir / "loop-a.i3d");
    fs::create_symlink("loop-a.i3d", dir / "loop-b.i3d");
    for (const char* link : {"dangling.i3d", "into-nothing.i3d", "loop-a.i3d"}) {
        EXPECT_EQ(ioErrorOf([&] { OutputFile out(dir / link); }),
                  "Der Verweis " + displayPath(dir / link) + " führt ins Leere")
            << link;
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
    }
    EXPECT_EQ(test::entryNames(dir.path()).size(), 4u);
}

// The temporary file has a name of its own, so any name the folder can hold can be written.
TEST(OutputFile, theLongestNameTheFolderHoldsCanBeWritten) {
    test::TempDir dir;
    const std::string longest(255, 'l');
    {
        OutputFile out(dir / longest);
        out.write("255");
        out.commit();
    }
    EXPECT_EQ(test::readFile(dir / longest), "255");
    EXPECT_EQ(ioErrorOf([&] { OutputFile out(dir / (longest + "x")); }), "Ungültiger Dateiname");
}

// The temporary file has no name while it is written: a process killed in the middle of a
// document leaves nothing in the folder.
TEST(OutputFile, aKilledProcessLeavesNoFileBehind) {
    test::TempDir dir;
    test::writeFile(dir / "road.i3d", kOldDocument);
    for (const int signal : {SIGKILL, SIGTERM, SIGINT}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            OutputFile out(dir / "road.i3d");
            out.write(std::string(1 << 20, 'x'));
            out.prepare();
            ::raise(signal);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status)) << signal;
        EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"road.i3d"}) << signal;
        EXPECT_EQ(test::readFile(dir / "road.i3d"), kOldDocument);
    }
}

// A full disk, imitated by a file size limit: the failure has to surface as an error instead
// of a truncated document that replaces the old one.
TEST(OutputFile, aFailedWriteIsReportedAndKeepsTheOldTarget) {
    test::TempDir dir;
    test::writeFile(dir / "road.i3d", kOldDocument);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string error = ioErrorOf([&] {
        OutputFile out(dir / "road.i3d");
        for (int i = 0; i < 10; ++i)
            out.write(std::string(500, 'x'));
        out.commit();
    });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, "E/A-Fehler " + std::to_string(EFBIG));
    EXPECT_EQ(test::readFile(dir / "road.i3d"), kOldDocument);
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"road.i3d"});
}

TEST(IoErrorText, namesTheFailureInGerman) {
    const std::pair<int, const char*> cases[] = {
        {EACCES, "Dateizugriff verweigert"}, {EPERM, "Dateizugriff verweigert"},
        {EROFS, "Dateizugriff verweigert"},  {ENOENT, "Ungültiger Dateiname"},
        {ENOTDIR, "Ungültiger Dateiname"},   {EISDIR, "Ungültiger Dateiname"},
        {ENAMETOOLONG, "Ungültiger Dateiname"}, {EINVAL, "Ungültiger Dateiname"},
        {ENOSPC, "Datenträger voll"},        {EDQUOT, "Datenträger voll"},
        {EIO, "E/A-Fehler 5"}};
    for (const auto& [number, text] : cases)
        EXPECT_EQ(ioErrorText(number), text) << number;
}

} // namespace
} // namespace trassolin
