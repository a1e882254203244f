// OutputFile on every system; output_file_posix_test.cpp and output_file_windows_test.cpp hold
// what only one system has (permissions, links, devices, killed processes, error numbers).

#include "io/output_file.h"
#include "io/paths.h"
#include "uGlobal/errors.h"

#include "core/output_file_test.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace trassolin {
namespace {

namespace fs = std::filesystem;
using test::ioErrorOf;
using test::kOldDocument;

TEST(OutputFile, commitReplacesTheTargetAndLeavesNothingElse) {
    test::TempDir dir;
    test::writeFile(dir / "road.i3d", kOldDocument);
    {
        OutputFile out(dir / "road.i3d");
        out.write("<?xml");
        out.write("");
        out.write(std::string("\r\n\0\xFF", 4));
        EXPECT_EQ(test::readFile(dir / "road.i3d"), kOldDocument); // nothing visible before commit
        out.commit();
        out.commit(); // a second commit changes nothing
    }
    EXPECT_EQ(test::readFile(dir / "road.i3d"), std::string("<?xml\r\n\0\xFF", 9));
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"road.i3d"});
}

TEST(OutputFile, aStoppedWriteKeepsTheOldTargetByteForByteAndAddsNoFile) {
    test::TempDir dir;
    test::writeFile(dir / "road.i3d", kOldDocument);
    {
        OutputFile out(dir / "road.i3d");
        out.write(std::string(100000, 'x'));
        OutputFile other(dir / "new.i3d");
        other.write("half");
    }
    EXPECT_EQ(test::readFile(dir / "road.i3d"), kOldDocument);
    EXPECT_EQ(test::entryNames(dir.path()), std::vector<std::string>{"road.i3d"});
}

TEST(OutputFile, badPathsAreInvalidFileNames) {
    test::TempDir dir;
    test::writeFile(dir / "plain", "x");
    fs::create_directory(dir / "folder");
    for (const fs::path& target : {dir / "missing/road.i3d", dir / "plain/road.i3d", dir / "folder",
                                   dir / "folder/", fs::path(std::string(300, 'n'))}) {
        EXPECT_EQ(ioErrorOf([&] { OutputFile out(target); }), "Ungültiger Dateiname") << target;
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
    EXPECT_EQ(test::entryNames(dir.path()), (std::vector<std::string>{"folder", "plain"}));
}

// Two files are prepared completely before either replaces its target.
TEST(OutputFile, preparedFilesReplaceTheirTargetsOnlyWhenPublished) {
    test::TempDir dir;
    test::writeFile(dir / "road.i3d", kOldDocument);
    test::writeFile(dir / "road.ini", "[Fahrbahn_Textur]\r\nTexL0=0\r\n");
    OutputFile document(dir / "road.i3d");
    OutputFile parameters(dir / "road.ini");
    document.write("new document");
    parameters.write("new parameters");
    document.prepare();
    parameters.prepare();
    EXPECT_EQ(test::readFile(dir / "road.i3d"), kOldDocument);
    EXPECT_THROW(document.write("late"), std::logic_error);
    document.publish();
    parameters.publish();
    EXPECT_EQ(test::readFile(dir / "road.i3d"), "new document");
    EXPECT_EQ(test::readFile(dir / "road.ini"), "new parameters");
    EXPECT_EQ(test::entryNames(dir.path()), (std::vector<std::string>{"road.i3d", "road.ini"}));
}

// The writes are gathered in a buffer; sizes around its capacity must keep their order.
TEST(OutputFile, writesOfEverySizeArriveInOrder) {
    test::TempDir dir;
    std::string expected;
    {
        OutputFile out(dir / "road.i3d");
        char fill = 'a';
        for (std::size_t size : {std::size_t{1}, std::size_t{65535}, std::size_t{2},
                                 std::size_t{65536}, std::size_t{0}, std::size_t{200000},
                                 std::size_t{3}, std::size_t{65533}, std::size_t{70000}}) {
            const std::string bytes(size, fill++);
            out.write(bytes);
            expected += bytes;
        }
        out.commit();
    }
    EXPECT_EQ(test::readFile(dir / "road.i3d"), expected);
}

// A modder's folders carry German names; nothing may take them in a narrow code page.
TEST(OutputFile, folderAndFileNamesWithUmlautsWork) {
    test::TempDir dir;
    const fs::path folder = dir.path() / pathFromUtf8("Straßen Süd");
    fs::create_directory(folder);
    const fs::path target = folder / pathFromUtf8("Dorfstraße.i3d");
    test::writeFile(target, kOldDocument);
    {
        OutputFile out(target);
        out.write("neu");
        out.commit();
    }
    EXPECT_EQ(test::readFile(target), "neu");
    EXPECT_EQ(test::entryNames(folder), std::vector<std::string>{"Dorfstraße.i3d"});
    EXPECT_EQ(ioErrorOf([&] { OutputFile out(folder / pathFromUtf8("fehlt/Weg.i3d")); }),
              "Ungültiger Dateiname");
}

TEST(OutputFile, misuseIsALogicError) {
    test::TempDir dir;
    OutputFile out(dir / "road.i3d");
    EXPECT_THROW(out.publish(), std::logic_error);
    out.commit();
    EXPECT_THROW(out.write("late"), std::logic_error);
    EXPECT_EQ(test::readFile(dir / "road.i3d"), "");
}

} // namespace
} // namespace trassolin
