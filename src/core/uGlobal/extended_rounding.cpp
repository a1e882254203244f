#include "uGlobal/extended_rounding.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace trassolin {

namespace {

// Numbers compared below stay under 2730 bits: a kept number below 10^821 or its bound
// A * 5^1145 with A < 2^65, and the other side shifted to the same size. A fixed buffer
// keeps the conversion free of allocations.
constexpr std::size_t kLimbs = 96;

// A natural number with just the operations the comparison below needs.
class Natural {
public:
    explicit Natural(std::uint64_t value = 0) {
        for (; value != 0; value >>= 32)
            push(static_cast<std::uint32_t>(value));
    }

    // *this = *this * factor + addend
    void multiplyAdd(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (std::size_t i = 0; i < size_; ++i) {
            const std::uint64_t t = std::uint64_t{limbs_[i]} * factor + carry;
            limbs_[i] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        if (carry != 0) push(static_cast<std::uint32_t>(carry));
    }

    void multiplyByPowerOfFive(std::uint64_t n) {
        constexpr std::uint32_t kFiveTo13 = 1220703125; // the largest power of five in 32 bits
        for (; n >= 13; n -= 13)
            multiplyAdd(kFiveTo13, 0);
        std::uint32_t rest = 1;
        for (; n > 0; --n)
            rest *= 5;
        multiplyAdd(rest, 0);
    }

    void shiftLeft(std::uint64_t bits) {
        if (size_ == 0) return;
        const unsigned part = static_cast<unsigned>(bits % 32);
        if (part != 0) {
            std::uint32_t carry = 0;
            for (std::size_t i = 0; i < size_; ++i) {
                const std::uint32_t out = limbs_[i] >> (32 - part);
                limbs_[i] = (limbs_[i] << part) | carry;
                carry = out;
            }
            if (carry != 0) push(carry);
        }
        const auto whole = static_cast<std::size_t>(bits / 32);
        if (whole == 0) return;
        if (whole > kLimbs - size_) throw std::length_error("Natural: capacity exceeded");
        std::copy_backward(limbs_.begin(), limbs_.begin() + static_cast<std::ptrdiff_t>(size_),
                           limbs_.begin() + static_cast<std::ptrdiff_t>(size_ + whole));
        std::fill_n(limbs_.begin(), whole, 0u);
        size_ += whole;
    }

    void increment() {
        for (std::size_t i = 0; i < size_; ++i) {
            if (++limbs_[i] != 0) return;
        }
        push(1);
    }

    // Not for zero.
    void decrement() {
        for (std::size_t i = 0; i < size_; ++i) {
            if (limbs_[i]-- != 0) break;
        }
        if (limbs_[size_ - 1] == 0) --size_;
    }

    friend int compare(const Natural& a, const Natural& b) {
        if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
        for (std::size_t i = a.size_; i-- > 0;) {
            if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
        }
        return 0;
    }

private:
    void push(std::uint32_t limb) {
        if (size_ == kLimbs) throw std::length_error("Natural: capacity exceeded");
        limbs_[size_++] = limb;
    }

    std::array<std::uint32_t, kLimbs> limbs_; // least significant first
    std::size_t size_ = 0;                    // never a zero limb on top
};

// The bounds compared below are binary fractions A * 2^e with A < 2^65 and e >= -1139: at most
// 816 significant decimal digits. So no bound lies strictly between a number and the number
// cut to this many digits with one digit 1 appended for whatever non-zero digits were cut.
constexpr std::int64_t kSignificantDigits = 820;

// digits * 10^exponent
struct Decimal {
    Natural digits;
    std::int64_t exponent = 0;
};

Decimal decimalOf(std::string_view integerDigits, std::string_view fractionDigits,
                  std::int64_t exponent) {
    Decimal x{Natural{}, exponent - static_cast<std::int64_t>(fractionDigits.size())};
    std::int64_t kept = 0;
    bool cutNonZero = false;
    std::uint32_t chunk = 0; // digits not yet in x.digits, nine at most
    std::uint32_t chunkScale = 1;
    const auto take = [&](char c) {
        const auto digit = static_cast<std::uint32_t>(c - '0');
        if (kept == 0 && digit == 0) return; // a leading zero
        if (kept == kSignificantDigits) {
            cutNonZero = cutNonZero || digit != 0;
            ++x.exponent;
            return;
        }
        ++kept;
        chunk = chunk * 10 + digit;
        chunkScale *= 10;
        if (chunkScale == 1000000000) {
            x.digits.multiplyAdd(chunkScale, chunk);
            chunk = 0;
            chunkScale = 1;
        }
    };
    for (const char c : integerDigits)
        take(c);
    for (const char c : fractionDigits)
        take(c);
    x.digits.multiplyAdd(chunkScale, chunk);
    if (cutNonZero) {
        x.digits.multiplyAdd(10, 1);
        --x.exponent;
    }
    return x;
}

// Compares x with (m * 2^c + offset) * 2^(b - c), where c brings m * 2^c to 65 bits: the
// binary fraction m * 2^b moved by `offset` (-1 or +1) halves of a 64-bit significand's step.
int compareWithMidpoint(const Decimal& x, std::uint64_t m, int offset, std::int64_t b) {
    const int c = 65 - static_cast<int>(std::bit_width(m));
    Natural bound(m);
    bound.shiftLeft(static_cast<std::uint64_t>(c));
    if (offset < 0) {
        bound.decrement();
    } else {
        bound.increment();
    }
    const std::int64_t boundTwos = b - c;
    // 10^e = 5^e * 2^e; the power of five goes to whichever side keeps both whole.
    Natural number = x.digits;
    if (x.exponent >= 0) {
        number.multiplyByPowerOfFive(static_cast<std::uint64_t>(x.exponent));
    } else {
        bound.multiplyByPowerOfFive(static_cast<std::uint64_t>(-x.exponent));
    }
    if (x.exponent >= boundTwos) {
        number.shiftLeft(static_cast<std::uint64_t>(x.exponent - boundTwos));
    } else {
        bound.shiftLeft(static_cast<std::uint64_t>(boundTwos - x.exponent));
    }
    return compare(number, bound);
}

} // namespace

double roundThroughExtended(double nearest, std::string_view integerDigits,
                            std::string_view fractionDigits, std::int64_t exponent) {
    if (!(nearest > 0.0) || std::isinf(nearest)) return nearest;
    const auto bits = std::bit_cast<std::uint64_t>(nearest);
    const auto biased = static_cast<std::int64_t>(bits >> 52);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    // nearest = significand * 2^unit, subnormals included
    const std::uint64_t significand = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const std::int64_t unit = biased == 0 ? -1074 : biased - 1075;

    // The number lies between the midpoints (2 significand -/+ 1) * 2^(unit - 1) to the
    // neighbours of `nearest`. Midpoints have 54 bits, so the 64-bit rounding can land exactly
    // on one: it does when the number is within half a 64-bit step of it. The second rounding
    // then breaks the tie to the even one of `nearest` and that neighbour, so an even `nearest`
    // always stays.
    if (significand % 2 == 0) return nearest;
    const Decimal x = decimalOf(integerDigits, fractionDigits, exponent);
    if (compareWithMidpoint(x, 2 * significand + 1, -1, unit - 1) >= 0) {
        return std::nextafter(nearest, std::numeric_limits<double>::infinity());
    }
    if (compareWithMidpoint(x, 2 * significand - 1, +1, unit - 1) <= 0) {
        return std::nextafter(nearest, 0.0);
    }
    return nearest;
}

} // namespace trassolin
