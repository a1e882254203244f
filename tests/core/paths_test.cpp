#include "io/paths.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace trassolin {
namespace {

// Two names of one target, whether or not the file exists yet: writing two documents to it
// would leave only one of them.
TEST(SameFile, knowsOneFileUnderTwoNamesBeforeAndAfterItExists) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    const struct {
        std::filesystem::path a, b;
        bool same;
    } cases[] = {
        {dir / "x.glb", dir / "x.glb", true},
        {dir / "x.glb", dir.path() / "." / "x.glb", true},
        {dir / "x.glb", dir / "sub" / ".." / "x.glb", true},
        {dir / "x.glb", dir / "y.glb", false},
        {dir / "x.glb", dir / "sub" / "x.glb", false},
        {dir / "x.glb", dir / "x.i3d", false},
    };
    for (const bool exists : {false, true}) {
        if (exists) test::writeFile(dir / "x.glb", "x");
        for (const auto& c : cases) {
            EXPECT_EQ(sameFile(c.a, c.b), c.same) << c.a << " " << c.b << (exists ? " (there)" : "");
        }
    }
}

} // namespace
} // namespace trassolin
