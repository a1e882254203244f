#pragma once

// Shared by the output file tests of every system.

#include "uGlobal/errors.h"

#include <string>

namespace trassolin::test {

template <typename Action> std::string ioErrorOf(Action&& action) {
    try {
        action();
    } catch (const IoError& e) {
        return e.what();
    }
    return "(no IoError)";
}

// An old document whose bytes a failed write must leave exactly as they are.
inline const std::string kOldDocument = "old document\r\n\xE4\r\n";

} // namespace trassolin::test
