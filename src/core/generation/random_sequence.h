#pragma once

#include <cstdint>

namespace trassolin {

// The program-wide random source of random texture mirroring: a 32-bit linear congruential
// generator that starts at 0 and is never seeded, so the first run after start always draws
// the same numbers and later runs continue the sequence. The application owns one object.
class RandomSequence {
public:
    // Next number in [0, 1): s := s * 134775813 + 1 (mod 2^32), drawn as s / 2^32.
    double next() {
        state_ = state_ * 134775813u + 1u;
        return static_cast<double>(state_) / 4294967296.0;
    }
    std::uint32_t state() const { return state_; }

private:
    std::uint32_t state_ = 0;
};

} // namespace trassolin
