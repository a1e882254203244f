// Test support on Windows. There is no xmllint for Windows among the build's packages: the
// Windows build's documents are instead compared byte for byte with the Linux build's, which
// xmllint checks (scripts/windows.sh).

#include "support/test_support.h"

namespace trassolin::test {

bool xmllintAvailable() { return false; }

int xmllint(const std::string&, const std::filesystem::path&, std::string& output) {
    output = "xmllint is not available on Windows";
    return -1;
}

} // namespace trassolin::test
