// Any text: the tolerant parse either refuses it with its German message or gives a finite
// value whose general form reads back to the same general form.

#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    double value = 0.0;
    try {
        value = trassolin::parseTolerantReal(text);
    } catch (const trassolin::ConversionError&) {
        return 0;
    }
    if (!std::isfinite(value)) std::abort();
    for (const char separator : {',', '.'}) {
        const std::string written = trassolin::formatGeneral(value, separator);
        const double back = trassolin::parseTolerantReal(written);
        if (trassolin::formatGeneral(back, separator) != written) std::abort();
    }
    (void)trassolin::formatFixed(value);
    return 0;
}
