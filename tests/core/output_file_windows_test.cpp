// OutputFile behaviour that only Windows has: the read-only attribute, device names, pipes,
// files held open by another program, names counted in UTF-16 units, and the system's error
// codes. A killed process is imitated with a death test, which Windows runs as a new process.

#include "io/output_file.h"
#include "io/paths.h"
#include "uGlobal/errors.h"

#include "core/output_file_test.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

namespace trassolin {
namespace {

namespace fs = std::filesystem;
using test::ioErrorOf;
using test::kOldDocument;

// A read-only file; made writable again on the way out so that the folder can be removed.
class ReadOnlyFile {
public:
    ReadOnlyFile(fs::path file, const std::string& bytes) : file_(std::move(file)) {
        test::writeFile(file_, bytes);
        fs::permissions(file_, fs::perms::owner_write | fs::perms::group_write |
                                   fs::perms::others_write,
                        fs::perm_options::remove);
    }
    ~ReadOnlyFile() { fs::permissions(file_, fs::perms::owner_write, fs::perm_options::add); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

private:
    fs::path file_;
};

TEST(OutputFileWindows, aReadOnlyTargetIsAccessDeniedAndKeptAsItWas) {
    test::TempDir dir;
    const ReadOnlyFile locked(dir / "locked.i3d", kOldDocument);
    EXPECT_EQ(ioErrorOf([&] { OutputFile out(dir / "locked.i3d"); }), "Dateizugriff verweigert");
    EXPECT_EQ(test::readFile(dir / "locked.i3d"), kOldDocument);
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"locked.i3d"});
}

// The check before the run cannot see the future: a target that turns read-only while the
// document is written makes the replace itself fail, and that failure must keep the old file.
TEST(OutputFileWindows, aTargetThatTurnsReadOnlyDuringTheRunIsKept) {
    test::TempDir dir;
    test::writeFile(dir / "road.i3d", kOldDocument);
    OutputFile out(dir / "road.i3d");
    out.write("new document");
    out.prepare();
    fs::permissions(dir / "road.i3d", fs::perms::owner_write | fs::perms::group_write |
                                          fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(ioErrorOf([&] { out.publish(); }), "Dateizugriff verweigert");
    fs::permissions(dir / "road.i3d", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(test::readFile(dir / "road.i3d"), kOldDocument);
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"road.i3d"});
}

// The GIANTS editor may hold the old document open without letting anyone delete it.
TEST(OutputFileWindows, aTargetHeldOpenByAnotherProgramIsKept) {
    test::TempDir dir;
    test::writeFile(dir / "road.i3d", kOldDocument);
    const HANDLE held = ::CreateFileW((dir / "road.i3d").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string error = ioErrorOf([&] {
        OutputFile out(dir / "road.i3d");
        out.write("new document");
        out.commit();
    });
    ::CloseHandle(held);
    EXPECT_TRUE(error == "Dateizugriff verweigert" ||
                error == "E/A-Fehler " + std::to_string(ERROR_SHARING_VIOLATION))
        << error;
    EXPECT_EQ(test::readFile(dir / "road.i3d"), kOldDocument);
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"road.i3d"});
}

TEST(OutputFileWindows, devicesAndPipesAreNeverReplaced) {
    test::TempDir dir;
    const std::wstring pipeName =
        L"\\\\.\\pipe\\trassolin-test-" + std::to_wstring(::GetCurrentProcessId());
    const HANDLE pipe = ::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_INBOUND,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                           4096, 4096, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    // A device name is one in every folder.
    for (const fs::path& target : {fs::path("NUL"), dir / "nul", fs::path(pipeName)}) {
        EXPECT_EQ(ioErrorOf([&] { OutputFile out(target); }),
                  displayPath(target) + " ist keine normale Datei")
            << displayPath(target);
    }
    ::CloseHandle(pipe);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

// Windows counts a name in UTF-16 units, and the check must not take a long name of German
// words for too long. (Under Wine the host's file system still limits the UTF-8 bytes.)
TEST(OutputFileWindows, longNamesAreCountedInUtf16Units) {
    test::TempDir dir;
    std::string umlauts;
    for (int i = 0; i < 120; ++i) umlauts += "ß"; // 240 bytes of UTF-8, 120 units
    {
        OutputFile out(dir.path() / pathFromUtf8(umlauts));
        out.write("120");
        out.commit();
    }
    EXPECT_EQ(test::readFile(dir.path() / pathFromUtf8(umlauts)), "120");
    EXPECT_EQ(ioErrorOf([&] { OutputFile out(dir / std::string(256, 'n')); }),
              "Ungültiger Dateiname");
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{umlauts});
}

// The temporary file is marked for deletion until it replaces the target: a process killed
// after the whole document was written leaves nothing in the folder. The death test runs this
// test again in a child process, which finds the parent's folder through the environment.
TEST(OutputFileWindows, aKilledProcessLeavesNoFileBehind) {
    static constexpr const wchar_t* kFolderVariable = L"TRASSOLIN_TEST_KILLED_WRITER_FOLDER";
    std::wstring inherited(::GetEnvironmentVariableW(kFolderVariable, nullptr, 0), L'\0');
    if (!inherited.empty()) {
        inherited.resize(::GetEnvironmentVariableW(kFolderVariable, inherited.data(),
                                                   static_cast<DWORD>(inherited.size())));
    }
    std::optional<test::TempDir> dir;
    if (inherited.empty()) {
        dir.emplace();
        test::writeFile(*dir / "road.i3d", kOldDocument);
        ASSERT_TRUE(::SetEnvironmentVariableW(kFolderVariable, dir->path().c_str()));
    }
    const fs::path folder = inherited.empty() ? dir->path() : fs::path(inherited);
    EXPECT_EXIT(
        {
            OutputFile out(folder / "road.i3d");
            out.write(std::string(1 << 20, 'x'));
            out.prepare();
            ::TerminateProcess(::GetCurrentProcess(), 9);
        },
        ::testing::ExitedWithCode(9), "");
    ::SetEnvironmentVariableW(kFolderVariable, nullptr);
    EXPECT_EQ(test::entryNames(folder), std::vector<std::string>{"road.i3d"});
    EXPECT_EQ(test::readFile(folder / "road.i3d"), kOldDocument);
}

TEST(IoErrorText, namesTheWindowsFailureInGerman) {
    const std::pair<DWORD, const char*> cases[] = {
        {ERROR_ACCESS_DENIED, "Dateizugriff verweigert"},
        {ERROR_WRITE_PROTECT, "Dateizugriff verweigert"},
        {ERROR_FILE_NOT_FOUND, "Ungültiger Dateiname"},
        {ERROR_PATH_NOT_FOUND, "Ungültiger Dateiname"},
        {ERROR_INVALID_NAME, "Ungültiger Dateiname"},
        {ERROR_FILENAME_EXCED_RANGE, "Ungültiger Dateiname"},
        {ERROR_DIRECTORY, "Ungültiger Dateiname"},
        {ERROR_INVALID_DRIVE, "Ungültiger Dateiname"},
        {ERROR_DISK_FULL, "Datenträger voll"},
        {ERROR_HANDLE_DISK_FULL, "Datenträger voll"},
        {ERROR_SHARING_VIOLATION, "E/A-Fehler 32"}};
    for (const auto& [code, text] : cases)
        EXPECT_EQ(ioErrorText(static_cast<int>(code)), text) << code;
}

TEST(OutputFileWindows, namesWindowsRefusesAreInvalidFileNames) {
    test::TempDir dir;
    for (const char* name : {"a<b.i3d", "a>b.i3d", "a?b.i3d", "a*b.i3d", "a|b.i3d", "a\"b.i3d",
                             "road.i3d:stream", "tab\there.i3d"}) {
        EXPECT_EQ(ioErrorOf([&] { OutputFile out(dir / name); }), "Ungültiger Dateiname") << name;
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

} // namespace
} // namespace trassolin
