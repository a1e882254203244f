#include "uGlobal/numbers.h"

#include "uGlobal/checked_math.h"
#include "uGlobal/errors.h"
#include "uGlobal/extended_rounding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace trassolin {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The profile reader trims only these two.
std::string_view trimSpacesAndTabs(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void throwNotAReal(std::string_view text) {
    throw ConversionError(quotedValue(text) + " ist kein gültiger Gleitkommawert");
}

[[noreturn]] void throwNotAnInteger(std::string_view text) {
    throw ConversionError(quotedValue(text) + " ist kein gültiger Integerwert");
}

// Decimal digits and exponent of a finite, non-zero value, correctly rounded to
// `significant` digits: value = 0.d1d2d3... * 10^(exponent + 1), digits without sign.
struct DecimalDigits {
    std::array<char, 24> digits{};
    int count = 0;
    int exponent = 0;
    bool negative = false;
};

DecimalDigits decimalDigits(double value, int significant) {
    std::array<char, 48> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::scientific, significant - 1);
    (void)ec; // the buffer always fits 17 digits and a three-digit exponent
    DecimalDigits d;
    const char* p = buf.data();
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p != end && *p != 'e'; ++p) {
        if (isDigit(*p)) d.digits[d.count++] = *p;
    }
    ++p; // 'e'
    bool negExp = *p == '-';
    ++p;
    int e = 0;
    for (; p != end; ++p) e = e * 10 + (*p - '0');
    d.exponent = negExp ? -e : e;
    return d;
}

// Whether a decimal value whose leading digit stands at 10^leadingExponent is no larger than
// 1.79769313486232E308, the largest double in the general form's 15 digits. The general form
// writes the largest doubles that way, so such a text must load again: as the largest double.
bool withinLargestWrittenDouble(std::string_view intDigits, std::string_view fracDigits,
                                std::int64_t leadingExponent) {
    constexpr std::string_view kLimit = "179769313486232";
    constexpr std::int64_t kLimitExponent = 308;
    if (leadingExponent != kLimitExponent) return leadingExponent < kLimitExponent;
    std::string digits(intDigits);
    digits += fracDigits;
    digits.erase(0, digits.find_first_not_of('0'));
    for (std::size_t k = 0; k < std::max(digits.size(), kLimit.size()); ++k) {
        const char d = k < digits.size() ? digits[k] : '0';
        const char l = k < kLimit.size() ? kLimit[k] : '0';
        if (d != l) return d < l;
    }
    return true;
}

} // namespace

double parseTolerantReal(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    // Validate the whole syntax first: from_chars would also take "inf", "nan" and more.
    std::string normalized;
    normalized.reserve(t.size());
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        if (negative) normalized.push_back('-');
        ++i;
    }
    std::string_view intDigits, fracDigits;
    const std::size_t intStart = i;
    while (i < t.size() && isDigit(t[i])) ++i;
    intDigits = t.substr(intStart, i - intStart);
    normalized.append(intDigits);
    if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
        normalized.push_back('.');
        ++i;
        const std::size_t fracStart = i;
        while (i < t.size() && isDigit(t[i])) ++i;
        fracDigits = t.substr(fracStart, i - fracStart);
        normalized.append(fracDigits);
    }
    if (intDigits.empty() && fracDigits.empty()) throwNotAReal(text);
    constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;
    std::int64_t exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        normalized.push_back('e');
        ++i;
        bool negExp = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
            negExp = t[i] == '-';
            if (negExp) normalized.push_back('-');
            ++i;
        }
        const std::size_t expStart = i;
        while (i < t.size() && isDigit(t[i])) {
            // Saturates far beyond any number of digits a text can have.
            if (exponent < kExponentLimit) exponent = exponent * 10 + (t[i] - '0');
            normalized.push_back(t[i]);
            ++i;
        }
        if (i == expStart) throwNotAReal(text);
        if (negExp) exponent = -exponent;
    }
    if (i != t.size()) throwNotAReal(text);

    double value = 0.0;
    const char* first = normalized.data();
    const char* last = first + normalized.size();
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Overflow is rejected; a magnitude below the smallest double is zero.
        std::int64_t position = 0; // decimal exponent of the leading non-zero digit
        bool found = false;
        for (std::size_t k = 0; k < intDigits.size() && !found; ++k) {
            if (intDigits[k] != '0') {
                position = static_cast<std::int64_t>(intDigits.size() - k) - 1;
                found = true;
            }
        }
        for (std::size_t k = 0; k < fracDigits.size() && !found; ++k) {
            if (fracDigits[k] != '0') {
                position = -static_cast<std::int64_t>(k) - 1;
                found = true;
            }
        }
        if (found && position + exponent >= 0) {
            if (!withinLargestWrittenDouble(intDigits, fracDigits, position + exponent)) {
                throwNotAReal(text);
            }
            const double largest = std::numeric_limits<double>::max();
            return negative ? -largest : largest;
        }
        return negative ? -0.0 : 0.0;
    }
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) throwNotAReal(text);
    // from_chars rounds once, straight to a double; the value has to come through a 64-bit
    // significand first, which moves about one text in several thousand by one step.
    value = roundThroughExtended(std::fabs(value), intDigits, fracDigits, exponent);
    // Just above the largest double, the second rounding can reach infinity; such a text lies
    // below 1.79769313486232E308, the general form of the largest double, so it is that double.
    if (std::isinf(value)) value = std::numeric_limits<double>::max();
    return negative ? -value : value;
}

std::int32_t parseStrictInteger(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    std::string_view digits = t;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') throwNotAnInteger(text);
    }
    std::int32_t value = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
    if (ec != std::errc() || ptr != digits.data() + digits.size()) throwNotAnInteger(text);
    return value;
}

bool textBetweenMarkers(std::string_view source, std::string_view open, std::string_view close,
                        std::string& out) {
    const std::size_t start = source.find(open);
    if (start == std::string_view::npos) return false;
    const std::string_view rest = source.substr(start + open.size());
    const std::size_t stop = rest.find(close);
    if (stop == std::string_view::npos) return false;
    out.assign(rest.substr(0, stop));
    return true;
}

namespace {

// The double nearest 10^k; from_chars rounds correctly, which a product of tens would not
// for negative k.
double nearestPowerOfTen(int k) {
    std::array<char, 8> text{'1', 'e'};
    const auto [end, ec] = std::to_chars(text.data() + 2, text.data() + text.size(), k);
    double power = 1.0;
    std::from_chars(text.data(), end, power);
    (void)ec; // an 8-bit exponent always fits
    return power;
}

} // namespace

double decimalRound(double value, std::int8_t k) {
    if (!std::isfinite(value)) return value;
    // Dividing by the double nearest 10^k (not multiplying by 10^-k) decides which decimals a
    // value keeps in listings and parameter files: 1.0635 / 0.001 = 1063.4999999999998 keeps
    // 1.063, where 1.0635 * 1000 = 1063.5 would give 1.064.
    const double scale = nearestPowerOfTen(k);
    const double quotient = value / scale;
    // A quotient beyond the double range has no whole number to round to; keep the value.
    if (!std::isfinite(quotient)) return value;
    return std::nearbyint(quotient) * scale; // ties to even in the default rounding mode
}

std::string formatGeneral(double value, char decimalSeparator) {
    requireFinite(value);
    if (value == 0.0) return "0"; // also negative zero
    DecimalDigits d = decimalDigits(value, 15);
    while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
    std::string out;
    if (d.negative) out.push_back('-');
    if (d.exponent < -5 || d.exponent >= 15) {
        out.push_back(d.digits[0]);
        if (d.count > 1) {
            out.push_back(decimalSeparator);
            out.append(d.digits.data() + 1, d.count - 1);
        }
        out.push_back('E');
        out.append(std::to_string(d.exponent));
        return out;
    }
    if (d.exponent < 0) {
        out.push_back('0');
        out.push_back(decimalSeparator);
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out.append(d.digits.data(), d.count);
        return out;
    }
    const int intCount = d.exponent + 1;
    for (int n = 0; n < intCount; ++n) out.push_back(n < d.count ? d.digits[n] : '0');
    if (d.count > intCount) {
        out.push_back(decimalSeparator);
        out.append(d.digits.data() + intCount, d.count - intCount);
    }
    return out;
}

namespace {

char* writeText(char* out, std::string_view text) {
    for (char c : text) *out++ = c;
    return out;
}

// The rule itself: the decimal expansion to 18 significant digits, then half away from zero
// at the fourth decimal, digit by digit.
char* writeFixedExact(char* out, double value) {
    if (std::fabs(value) >= 1e18) return writeText(out, formatGeneral(value, '.'));
    if (value == 0.0) return writeText(out, "0.0000");
    const DecimalDigits d = decimalDigits(value, 18);
    // Digits of |value| * 10^4 as a whole number, then rounded half away from zero by the
    // first digit dropped. Digit i of the expansion carries weight 10^(exponent - i).
    std::array<char, 40> scaled{};
    int n = 0;
    const int keep = d.exponent + 5; // number of expansion digits at or above 10^-4
    for (int i = 0; i < keep; ++i) scaled[n++] = i < d.count ? d.digits[i] : '0';
    const bool roundUp = keep >= 0 && keep < d.count && d.digits[keep] >= '5';
    if (n == 0) scaled[n++] = '0';
    if (roundUp) {
        int i = n - 1;
        while (i >= 0 && scaled[i] == '9') scaled[i--] = '0';
        if (i >= 0) {
            ++scaled[i];
        } else {
            for (int j = n; j > 0; --j) scaled[j] = scaled[j - 1];
            scaled[0] = '1';
            ++n;
        }
    }
    int first = 0;
    while (first < n - 1 && scaled[first] == '0') ++first;
    const bool isZero = first == n - 1 && scaled[first] == '0';
    if (d.negative && !isZero) *out++ = '-';
    const int len = n - first;
    if (len <= 4) {
        out = writeText(out, "0.");
        for (int i = len; i < 4; ++i) *out++ = '0';
        return writeText(out, std::string_view(scaled.data() + first, len));
    }
    out = writeText(out, std::string_view(scaled.data() + first, len - 4));
    *out++ = '.';
    return writeText(out, std::string_view(scaled.data() + n - 4, 4));
}

// |value| * 10^4 rounded half away from zero, decided from the double product s alone where
// that is certain. s is within half an ulp of the exact product S. If s is not itself a tie
// N + 1/2, it is at least one ulp from it, so S lies on the same side at least half an ulp
// (2^-54 S or more) away; the 18-digit expansion times 10^4 is within half a unit of its last
// digit (5e-18 S) of S, and so on that side too. Only fractions at or next to one half need
// the expansion: the margin of 2^-49 s (8 to 16 ulps) sends them, and every magnitude from
// s = 2^48 on, to the exact path.
bool roundedScaledFast(double magnitude, std::uint64_t& scaled) {
    const double s = magnitude * 1e4;
    if (!(s < 0x1p48)) return false;
    const double whole = std::trunc(s);
    const double fraction = s - whole; // exact: the low bits of s
    if (std::fabs(fraction - 0.5) <= s * 0x1p-49) return false;
    scaled = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    return true;
}

constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233"
                               "34353637383940414243444546474849505152535455565758596061626364656667"
                               "6869707172737475767778798081828384858687888990919293949596979899";

// "whole.ffff" of scaled / 10^4.
char* writeScaled(char* out, std::uint64_t scaled) {
    std::uint64_t whole = scaled / 10000;
    const auto fraction = static_cast<unsigned>(scaled % 10000);
    char digits[20];
    char* p = digits + sizeof digits;
    while (whole >= 100) {
        const auto pair = static_cast<unsigned>(whole % 100);
        whole /= 100;
        p -= 2;
        p[0] = kDigitPairs[2 * pair];
        p[1] = kDigitPairs[2 * pair + 1];
    }
    if (whole >= 10) {
        p -= 2;
        p[0] = kDigitPairs[2 * whole];
        p[1] = kDigitPairs[2 * whole + 1];
    } else {
        *--p = static_cast<char>('0' + whole);
    }
    while (p != digits + sizeof digits) *out++ = *p++;
    *out++ = '.';
    const unsigned high = fraction / 100, low = fraction % 100;
    out[0] = kDigitPairs[2 * high];
    out[1] = kDigitPairs[2 * high + 1];
    out[2] = kDigitPairs[2 * low];
    out[3] = kDigitPairs[2 * low + 1];
    return out + 4;
}

} // namespace

char* writeFixed(char* out, double value) {
    requireFinite(value);
    std::uint64_t scaled = 0;
    if (!roundedScaledFast(std::fabs(value), scaled)) return writeFixedExact(out, value);
    if (value < 0.0 && scaled != 0) *out++ = '-';
    return writeScaled(out, scaled);
}

void appendFixed(std::string& out, double value) {
    char buf[kFixedMaxChars];
    out.append(buf, writeFixed(buf, value));
}

std::string formatFixed(double value) {
    std::string out;
    appendFixed(out, value);
    return out;
}

std::string formatFixedExact(double value) {
    requireFinite(value);
    char buf[kFixedMaxChars];
    return std::string(buf, writeFixedExact(buf, value));
}

std::string formatGrouped(double value) {
    const double whole = std::round(value);
    if (!(std::fabs(whole) < 1e18)) return formatGeneral(whole, ',');
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(whole)).ptr;
    std::string digits(buffer, end);
    const std::ptrdiff_t first = digits.front() == '-' ? 1 : 0;
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > first; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), 1, '.');
    }
    return digits;
}

char decimalSeparatorForLocale(std::string_view localeName) {
    std::string_view name = localeName;
    if (const auto dot = name.find_first_of(".@"); dot != std::string_view::npos) {
        name = name.substr(0, dot);
    }
    if (name.empty() || name == "C" || name == "POSIX") return '.';
    const auto underscore = name.find('_');
    const std::string_view language = name.substr(0, underscore);
    const std::string_view territory =
        underscore == std::string_view::npos ? std::string_view{} : name.substr(underscore + 1);
    // Territories whose conventions keep the point although their language uses a comma
    // (German and Italian in Switzerland, Spanish in Central America and the US).
    constexpr std::array<std::string_view, 11> pointTerritories{
        "CH", "LI", "MX", "US", "PR", "GT", "HN", "NI", "PA", "SV", "DO"};
    constexpr std::array<std::string_view, 40> commaLanguages{
        "de", "fr", "es", "it", "nl", "pt", "ru", "pl", "cs", "sk", "sl", "hr", "sr", "bs",
        "da", "nb", "nn", "no", "sv", "fi", "is", "et", "lv", "lt", "hu", "ro", "bg", "uk",
        "be", "el", "tr", "az", "kk", "ka", "id", "vi", "ca", "gl", "eu", "lb"};
    bool comma = false;
    for (auto l : commaLanguages) comma = comma || l == language;
    if (!comma) return '.';
    if (language == "fr") return ',';
    for (auto t : pointTerritories) {
        if (t == territory) return '.';
    }
    return ',';
}

char environmentDecimalSeparator() {
    for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(var);
        if (value != nullptr && *value != '\0') return decimalSeparatorForLocale(value);
    }
    return '.';
}

std::string formatInteger(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return {buffer, result.ptr};
}

std::optional<std::int32_t> parseProfileInteger(std::string_view text) {
    std::string_view t = trimSpacesAndTabs(text);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (t.starts_with('$')) {
        base = 16;
        t.remove_prefix(1);
    } else if (t.starts_with("0x") || t.starts_with("0X")) {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty() || t.front() == '-' || t.front() == '+') return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), magnitude, base);
    if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    std::int64_t value = 0;
    if (base == 16) {
        // Hexadecimal covers the 32-bit pattern, so "$FFFFFFFF" is -1 as on Windows.
        if (magnitude > 0xFFFFFFFFu) return std::nullopt;
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    } else {
        if (magnitude > 0x80000000u) return std::nullopt;
        value = static_cast<std::int64_t>(magnitude);
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

void appendShortest(std::string& out, double value) {
    requireFinite(value);
    char buffer[32]; // the longest shortest form of a double has 24 characters
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace trassolin
