#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace trassolin {
namespace {

struct ParseCase {
    const char* text;
    double expected;
    friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class TolerantRealAccepts : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TolerantRealAccepts, eitherSeparatorGivesTheSameValue) {
    EXPECT_EQ(parseTolerantReal(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TolerantRealAccepts,
    ::testing::Values(ParseCase{"2,5", 2.5}, ParseCase{"2.5", 2.5}, ParseCase{"0,2", 0.2},
                      ParseCase{"0.2", 0.2}, ParseCase{"-30", -30.0}, ParseCase{"+4", 4.0},
                      ParseCase{",5", 0.5}, ParseCase{"5.", 5.0}, ParseCase{"1E-6", 1e-6},
                      ParseCase{"1,5e3", 1500.0}, ParseCase{"-2.5E+2", -250.0},
                      ParseCase{"  7 ", 7.0}, ParseCase{"\t3,25\r\n", 3.25},
                      ParseCase{"1e-400", 0.0},
                      ParseCase{"1,7976931348623157e308", std::numeric_limits<double>::max()},
                      // The largest double as the general form writes it loads again.
                      ParseCase{"1,79769313486232E308", std::numeric_limits<double>::max()},
                      ParseCase{"-179769313486232e294", -std::numeric_limits<double>::max()},
                      ParseCase{"1797693134862319999E290", std::numeric_limits<double>::max()},
                      // Through the extended format this lies on the midpoint above it.
                      ParseCase{"1.7976931348623158079e308", std::numeric_limits<double>::max()}),
    [](const auto& p) { return test::nameOf(p.param.text); });

class TolerantRealRejects : public ::testing::TestWithParam<const char*> {};

TEST_P(TolerantRealRejects, withTheConversionMessageNamingTheText) {
    const std::string text = GetParam();
    try {
        parseTolerantReal(text);
        FAIL() << "accepted '" << text << "'";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.what(), "'" + text + "' ist kein gültiger Gleitkommawert");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, TolerantRealRejects,
                         ::testing::Values("", " ", "1.000,5", "1,234.5", "1..5", "abc", "1e",
                                           "1e+", "--1", "+-1", "inf", "-inf", "nan", "NaN",
                                           "infinity", "0x1p3", "0x10", "1 000", "1\t5", "1e400",
                                           "-1e309", ".", "-", "1,5,", "e5", "1f", "1_0",
                                           "1,797693134862320001E308", "1.8e308"),
                         [](const auto& p) { return test::nameOf(p.param); });

// Texts whose double through a 64-bit significand is not the double nearest them.
TEST(TolerantReal, roundsToTheExtendedFormatFirstThenToADouble) {
    const struct {
        const char* text;
        std::uint64_t bits;
    } cases[] = {
        {"3537177.685930148", 0x414AFC8CD7CC8F20}, // nearest ...8F21
        {"-3537177,685930148", 0xC14AFC8CD7CC8F20},
        {"7410.3058403", 0x40BCF24E4B8CC64C},  // nearest ...C64D
        {"178,9709778", 0x40665F124009048C},   // nearest ...048B, below
        {"6610.64373243", 0x40B9D2A4CBA6063A}, // nearest ...0639, below
        {"2.4703282292062327209e-324", 0},     // nearest the smallest subnormal
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(parseTolerantReal(c.text)), c.bits) << c.text;
}

// The reference below needs a library that converts text to the x87 extended format exactly;
// MinGW's from_chars for long double goes through double, so there the parse is checked by
// the fixed cases above and by the byte comparison of whole documents with the Linux build.
#if LDBL_MANT_DIG == 64 && !defined(_WIN32)
// Here long double is the x87 extended format: the library's conversion to it followed by a
// narrowing cast is the reference. A text that passes the largest double is refused, unless it
// lies within the general form of the largest double (1.79769313486232E308), which is read as
// the largest double.
bool parsesAsExtendedThenDouble(const std::string& text) {
    long double extended = 0;
    std::from_chars(text.data(), text.data() + text.size(), extended);
    auto reference = static_cast<double>(extended);
    if (std::isinf(reference) && std::fabs(extended) <= 1.79769313486232e308L) {
        reference = std::copysign(std::numeric_limits<double>::max(), reference);
    }
    try {
        return std::bit_cast<std::uint64_t>(parseTolerantReal(text)) ==
               std::bit_cast<std::uint64_t>(reference);
    } catch (const ConversionError&) {
        return std::isinf(reference);
    }
}

// Most texts are printed near the midpoint between two doubles, where the two roundings part.
TEST(TolerantReal, agreesWithTheExtendedFormatOnRandomTexts) {
    std::mt19937_64 random(14);
    const auto uniform = [&](int n) {
        return static_cast<int>(random() % static_cast<unsigned>(n));
    };
    const auto midpointText = [&](double d, int digits) {
        const long double mid = (static_cast<long double>(d) + std::nextafter(d, HUGE_VAL)) / 2;
        std::array<char, 64> buf{};
        const auto end = std::to_chars(buf.data(), buf.data() + buf.size(), mid,
                                       std::chars_format::scientific, digits)
                             .ptr;
        return std::string(buf.data(), end);
    };
    int mismatches = 0;
    int parted = 0; // texts where the reference is not the double nearest the text
    const auto check = [&](const std::string& text) {
        long double extended = 0;
        double nearest = 0;
        const char* end = text.data() + text.size();
        std::from_chars(text.data(), end, extended);
        if (std::from_chars(text.data(), end, nearest).ec == std::errc() &&
            nearest != static_cast<double>(extended))
            ++parted;
        if (!parsesAsExtendedThenDouble(text) && ++mismatches <= 5) ADD_FAILURE() << text;
    };
    for (int i = 0; i < 20000; ++i) {
        std::string digits;
        for (int n = 1 + uniform(20); n > 0; --n)
            digits += static_cast<char>('0' + uniform(10));
        digits.insert(static_cast<std::size_t>(uniform(static_cast<int>(digits.size()) + 1)), ".");
        check(digits + "e" + std::to_string(uniform(61) - 30));

        const double any = std::bit_cast<double>(random() & 0x7FEFFFFFFFFFFFFF);
        check(midpointText(any, 17 + uniform(9)));
        const double subnormal = std::bit_cast<double>(random() % (std::uint64_t{1} << 53));
        check(midpointText(subnormal, 17 + uniform(9)));
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(parted, 10000) << "the sample should exercise the double rounding";
}

// The exact decimal of a long double in fixed notation with `places` decimals.
std::string exactDecimal(long double v, int places) {
    std::string text(2048, '\0');
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed, places)
            .ptr;
    text.resize(static_cast<std::size_t>(end - text.data()));
    return text;
}

// a + b or a - b (a >= b) for texts from exactDecimal with the same number of decimals.
std::string addDecimals(std::string a, std::string b, int sign) {
    const std::size_t width = std::max(a.size(), b.size());
    a.insert(0, width - a.size(), '0');
    b.insert(0, width - b.size(), '0');
    int carry = 0;
    for (std::size_t i = width; i-- > 0;) {
        if (a[i] == '.') continue;
        int digit = a[i] - '0' + sign * (b[i] - '0') + carry;
        carry = digit < 0 ? -1 : digit / 10;
        a[i] = static_cast<char>('0' + (digit + 10) % 10);
    }
    return carry > 0 ? "1" + a : a;
}

// The 64-bit rounding lands on the midpoint between two doubles from half an extended step
// below it to half a step above it, both ends included (the tie goes to the midpoint, whose
// significand is even). Texts at those ends, and a digit beyond the exactly kept ones away from
// them, decide which neighbour a text gets.
TEST(TolerantReal, agreesWithTheExtendedFormatAtTheEndsOfATie) {
    std::mt19937_64 random(1406);
    int mismatches = 0;
    const auto check = [&](const std::string& text) {
        if (!parsesAsExtendedThenDouble(text) && ++mismatches <= 5) ADD_FAILURE() << text;
    };
    for (int i = 0; i < 1500; ++i) {
        // Any double, one next to the largest, a subnormal one or one of the smallest, whose
        // ends have the most significant digits.
        const std::uint64_t bits = i % 4 == 0   ? random() & 0x7FEFFFFFFFFFFFFF
                                   : i % 4 == 1 ? 0x7FEFFFFFFFFFFFFF - random() % 3
                                   : i % 4 == 2 ? random() % (std::uint64_t{1} << 52)
                                                : random() % 8;
        const double d = std::bit_cast<double>(bits);
        const long double up = d == std::numeric_limits<double>::max()
                                   ? std::ldexp(1.0L, 1024)
                                   : std::nextafter(d, HUGE_VAL);
        const long double mid = (d + up) / 2;
        const long double halfStep = std::ldexp(1.0L, std::ilogb(mid) - 64);
        // Enough decimals for both to be exact.
        const int places = std::max(1, 64 - std::ilogb(mid));
        for (const int sign : {-1, +1}) {
            const std::string end =
                addDecimals(exactDecimal(mid, places), exactDecimal(halfStep, places), sign);
            std::string lastPlace = end;
            for (char& c : lastPlace) {
                if (c != '.') c = '0';
            }
            lastPlace.back() = '1';
            check(end);
            check(end + std::string(900, '0') + "1");
            check(addDecimals(end, lastPlace, -1) + std::string(900, '9'));
        }
    }
    EXPECT_EQ(mismatches, 0);
}
#endif

// Qt sets the C locale from the user's environment; a German one must not change a text's value.
TEST(TolerantReal, doesNotDependOnTheCLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "de_DE.utf8") == nullptr)
        GTEST_SKIP() << "no German locale installed";
    const std::string point = std::localeconv()->decimal_point;
    const double values[] = {parseTolerantReal("2.5"), parseTolerantReal("2,5"),
                             parseTolerantReal("3537177.685930148"),
                             parseTolerantReal("1,7976931348623157e308")};
    const std::string general = formatGeneral(2.5, '.');
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(point, ",");
    EXPECT_EQ(values[0], 2.5);
    EXPECT_EQ(values[1], 2.5);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(values[2]), 0x414AFC8CD7CC8F20u);
    EXPECT_EQ(values[3], std::numeric_limits<double>::max());
    EXPECT_EQ(general, "2.5");
}

TEST(StrictInteger, acceptsPlainDecimalWithinThirtyTwoBits) {
    EXPECT_EQ(parseStrictInteger("0"), 0);
    EXPECT_EQ(parseStrictInteger(" -512 "), -512);
    EXPECT_EQ(parseStrictInteger("+2048"), 2048);
    EXPECT_EQ(parseStrictInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseStrictInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(StrictInteger, rejectsEverythingElseWithTheIntegerMessage) {
    for (const char* text : {"", "1.0", "1,5", "2147483648", "$10", "0x10", "12a", "1 2", "+-1"}) {
        try {
            parseStrictInteger(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(text) + "' ist kein gültiger Integerwert");
        }
    }
}

// A runaway value (a 100 MB attribute of a damaged export) must give a line, not a message of
// its own size: its first 40 characters, never cut inside one.
TEST(QuotedValue, showsTheFirstFortyCharactersOfALongTextAndNeverCutsACharacter) {
    const std::string forty = std::string(39, '7') + "ß";
    const struct {
        std::string text, quoted;
    } cases[] = {
        {"", "''"},
        {"12a", "'12a'"},
        {forty, "'" + forty + "'"},
        {forty + "x", "'" + forty + "…'"},
        {forty + "€€€", "'" + forty + "…'"},
        {std::string(1'000'000, '9') + "x", "'" + std::string(40, '9') + "…'"},
    };
    for (const auto& c : cases) EXPECT_EQ(quotedValue(c.text), c.quoted) << c.text.size();
    for (const auto& parse : {+[](std::string_view t) { (void)parseTolerantReal(t); },
                              +[](std::string_view t) { (void)parseStrictInteger(t); }}) {
        try {
            parse(std::string(1'000'000, '1') + "-");
            ADD_FAILURE() << "accepted";
        } catch (const ConversionError& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("'" + std::string(40, '1') + "…' ist kein "))
                << std::string(e.what()).substr(0, 80);
            EXPECT_LT(std::string(e.what()).size(), 100u);
        }
    }
}

TEST(TextBetweenMarkers, takesTheTextUpToTheFirstClosingMarkerOrLeavesTheOutputAlone) {
    std::string out = "unchanged";
    EXPECT_FALSE(textBetweenMarkers("no markers here", "translation=\"", "\"", out));
    EXPECT_FALSE(textBetweenMarkers("translation=\"1 2 3", "translation=\"", "\"", out));
    EXPECT_EQ(out, "unchanged");
    EXPECT_TRUE(textBetweenMarkers(R"(<Shape name="a" translation="1 2 3" rotation="0 90 0"/>)",
                                   "translation=\"", "\"", out));
    EXPECT_EQ(out, "1 2 3");
    EXPECT_TRUE(textBetweenMarkers("rotation=\"\"", "rotation=\"", "\"", out));
    EXPECT_EQ(out, "");
}

TEST(DecimalRound, roundsTheFloatingQuotientWithTiesToEven) {
    // The quotient is value / 0.01 or value / 0.001 as doubles; scaling by 100 or 1000
    // instead would list 1.0635 as "1,064", -0.235 as "-0,24" and -1.225 as "-1,23".
    const struct {
        double value;
        std::int8_t k;
        double rounded;
        const char* listed;
    } cases[] = {
        {1.0635, -3, 1.063, "1,063"},              // quotient 1063.4999999999998
        {0.469, -3, 0.46900000000000003, "0,469"}, // 469 * 0.001, one step above 0.469
        {2.675, -2, 2.68, "2,68"},                 // stored below the tie, quotient exactly 267.5
        {1.005, -2, 1.0, "1"},                     // quotient 100.49999999999999
        {-0.235, -2, -0.23, "-0,23"},              // quotient -23.499999999999996
        {-1.225, -2, -1.22, "-1,22"},              // quotient exactly -122.5: to the even -122
        {0.125, -2, 0.12, "0,12"},                 // exact tie goes to the even neighbour
        {0.375, -2, 0.38, "0,38"},
        {-0.125, -2, -0.12, "-0,12"},
        {1.2995, -3, 1.3, "1,3"},
        {-30.004, -2, -30.0, "-30"},
        {57.29577951308232, -2, 57.300000000000004, "57,3"}, // 5730 * 0.01
    };
    for (const auto& c : cases) {
        const double rounded = decimalRound(c.value, c.k);
        EXPECT_EQ(rounded, c.rounded) << c.value;
        EXPECT_EQ(formatGeneral(rounded, ','), c.listed) << c.value;
    }
}

TEST(DecimalRound, leavesValuesTooLargeToRoundUnchanged) {
    EXPECT_EQ(decimalRound(1e300, -2), 1e300);
    EXPECT_EQ(decimalRound(-1e17, -3), -1e17);
    EXPECT_EQ(decimalRound(std::numeric_limits<double>::max(), -3),
              std::numeric_limits<double>::max());
}

struct FormatCase {
    double value;
    const char* comma;
    friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.comma; }
};

class GeneralForm : public ::testing::TestWithParam<FormatCase> {};

TEST_P(GeneralForm, writesAtMostFifteenDigitsWithTheChosenSeparator) {
    const auto& c = GetParam();
    const std::string comma = formatGeneral(c.value, ',');
    EXPECT_EQ(comma, c.comma);
    std::string point = c.comma;
    for (char& ch : point) {
        if (ch == ',') ch = '.';
    }
    EXPECT_EQ(formatGeneral(c.value, '.'), point);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GeneralForm,
    ::testing::Values(FormatCase{0.0, "0"}, FormatCase{-0.0, "0"}, FormatCase{-30.0, "-30"},
                      FormatCase{2.5, "2,5"}, FormatCase{0.1 + 0.2, "0,3"},
                      FormatCase{1.0 / 3.0, "0,333333333333333"},
                      FormatCase{2.0 / 3.0, "0,666666666666667"}, FormatCase{0.00001, "0,00001"},
                      FormatCase{0.0000099999, "9,9999E-6"}, FormatCase{1e-6, "1E-6"},
                      FormatCase{-1.5e-7, "-1,5E-7"},
                      FormatCase{123456789012345.0, "123456789012345"},
                      FormatCase{999999999999999.0, "999999999999999"}, FormatCase{1e15, "1E15"},
                      FormatCase{1234567890123456.0, "1,23456789012346E15"},
                      FormatCase{12345.678901234567, "12345,6789012346"},
                      FormatCase{1e100, "1E100"}, FormatCase{5e-324, "4,94065645841247E-324"}),
    [](const auto& p) { return test::nameOf(p.param.value); });

TEST(GeneralForm, refusesValuesThatAreNotFiniteNamingWhatHappened) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        const char* message;
    } cases[] = {{std::nan(""), "Ungültige Gleitkommaoperation"},
                 {inf, "Gleitkommaüberlauf"},
                 {-inf, "Gleitkommaüberlauf"}};
    for (const auto& c : cases) {
        for (auto format : {+[](double v) { return formatGeneral(v, ','); },
                            +[](double v) { return formatFixed(v); }}) {
            try {
                format(c.value);
                ADD_FAILURE() << c.message;
            } catch (const FloatingPointError& e) {
                EXPECT_STREQ(e.what(), c.message);
            }
        }
    }
}

TEST(GeneralForm, readsBackToTheSameFifteenDigitValue) {
    for (double v : {0.1, 1.0 / 3.0, 123.456, -9.87654321e-3, 6.02214076e23, 1e-6, 42.0}) {
        for (char sep : {',', '.'}) {
            const double back = parseTolerantReal(formatGeneral(v, sep));
            EXPECT_EQ(formatGeneral(back, '.'), formatGeneral(v, '.'));
        }
    }
}

// Whatever a parameter file holds was written in the general form and must load again, for
// doubles of every magnitude up to the largest.
TEST(GeneralForm, everyFiniteDoubleReadsBackFromItsFifteenDigits) {
    std::mt19937_64 random(88);
    for (int k = 0; k < 200000; ++k) {
        double v = 0.0;
        do {
            const std::uint64_t bits = random();
            std::memcpy(&v, &bits, sizeof v);
        } while (!std::isfinite(v));
        const std::string text = formatGeneral(v, k % 2 == 0 ? ',' : '.');
        double back = 0.0;
        ASSERT_NO_THROW(back = parseTolerantReal(text)) << text;
        ASSERT_EQ(formatGeneral(back, k % 2 == 0 ? ',' : '.'), text);
    }
    const double largest = std::numeric_limits<double>::max();
    EXPECT_EQ(parseTolerantReal(formatGeneral(largest, '.')), largest);
    EXPECT_EQ(parseTolerantReal(formatGeneral(-largest, ',')), -largest);
}

struct FixedCase {
    double value;
    const char* text;
    friend void PrintTo(const FixedCase& c, std::ostream* os) { *os << c.text; }
};

class FixedForm : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedForm, roundsHalfAwayFromZeroOnEighteenDigits) {
    EXPECT_EQ(formatFixed(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FixedForm,
    ::testing::Values(FixedCase{0.0, "0.0000"}, FixedCase{-0.0, "0.0000"},
                      FixedCase{12.5, "12.5000"}, FixedCase{-3.0, "-3.0000"},
                      FixedCase{0.00005, "0.0001"}, FixedCase{-0.00005, "-0.0001"},
                      FixedCase{0.00004, "0.0000"}, FixedCase{-0.00001, "0.0000"},
                      FixedCase{-0.00004999, "0.0000"}, FixedCase{0.99995, "1.0000"},
                      // the doubles nearest these decimals lie below, above and below the tie:
                      FixedCase{9999.99995, "9999.9999"}, FixedCase{1.00005, "1.0001"},
                      FixedCase{2.00005, "2.0000"}, FixedCase{9999.99996, "10000.0000"},
                      FixedCase{0.12345, "0.1235"}, FixedCase{1e10, "10000000000.0000"},
                      FixedCase{-1e10, "-10000000000.0000"},
                      FixedCase{123456789.123456789, "123456789.1235"},
                      FixedCase{1e-300, "0.0000"}, FixedCase{1e18, "1E18"},
                      // below the tie as doubles, on it in 18 digits: the expansion decides
                      FixedCase{0.01405, "0.0141"}, FixedCase{0.02495, "0.0250"},
                      FixedCase{-0.02495, "-0.0250"}, FixedCase{0.00015, "0.0001"},
                      // exact binary ties
                      FixedCase{0.03125, "0.0313"}, FixedCase{-0.03125, "-0.0313"}),
    [](const auto& p) { return test::nameOf(p.param.value); });

// Families of values where a shortcut through the scaled double could go wrong: decimal ties
// at the fourth decimal and their neighbours a few ulps away, binary fractions that are exact
// ties, coordinates up to 10^7, the magnitudes where the shortcut hands over to the expansion,
// and arbitrary bit patterns. `perFamily` values of each, both signs.
std::vector<double> fixedFormProbes(int perFamily, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::vector<double> out;
    const auto add = [&](double v) {
        if (!std::isfinite(v)) return;
        out.push_back(v);
        out.push_back(-v);
    };
    const auto withNeighbours = [&](double v, int ulps) {
        add(v);
        double up = v, down = v;
        for (int i = 0; i < ulps; ++i) {
            up = std::nextafter(up, HUGE_VAL);
            down = std::nextafter(down, -HUGE_VAL);
            add(up);
            add(down);
        }
    };
    const auto below = [&](std::uint64_t limit) {
        return std::uniform_int_distribution<std::uint64_t>(0, limit - 1)(rng);
    };
    for (int i = 0; i < perFamily / 7; ++i) {
        // (10k + 5) / 10^5: the decimal tie k.5 at the fourth decimal, like 0.01405 and 0.02495,
        // at every magnitude from 10^-4 to 10^7, with the doubles around it.
        const std::uint64_t digits = std::uint64_t{1} << below(40);
        withNeighbours(static_cast<double>(10 * below(digits) + 5) / 1e5, 3);
    }
    for (int i = 0; i < perFamily / 3; ++i) {
        // odd multiples of 2^-n: exact ties where n allows, long binary fractions elsewhere
        const int n = static_cast<int>(below(64));
        add(std::ldexp(static_cast<double>(2 * below(std::uint64_t{1} << 30) + 1), -n));
    }
    std::uniform_real_distribution<double> coordinate(-1e7, 1e7), unit(-1.0, 1.0);
    for (int i = 0; i < perFamily / 2; ++i) {
        add(coordinate(rng));
        add(unit(rng));
    }
    for (int i = 0; i < perFamily / 2; ++i) {
        // arbitrary bit patterns, and magnitudes around 2^48 / 10^4 where the shortcut ends
        add(std::bit_cast<double>(rng()));
        add(std::ldexp(1.0 + unit(rng) / 2, 34 + static_cast<int>(below(4))));
    }
    return out;
}

void expectShortcutMatchesExpansion(int perFamily, std::uint64_t seed) {
    int mismatches = 0;
    for (double v : fixedFormProbes(perFamily, seed)) {
        const std::string fast = formatFixed(v), exact = formatFixedExact(v);
        if (fast != exact && ++mismatches <= 10) {
            ADD_FAILURE() << std::hexfloat << v << ": " << fast << " instead of " << exact;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(FixedForm, shortcutWritesWhatTheEighteenDigitExpansionGives) {
    expectShortcutMatchesExpansion(20'000, 1);
    for (double v : {0.0, -0.0, 5e-324, 0x1p48 / 1e4, std::nextafter(0x1p48 / 1e4, 0.0), 1e7,
                     999999999999999999.0, std::numeric_limits<double>::max()}) {
        EXPECT_EQ(formatFixed(v), formatFixedExact(v)) << v;
        EXPECT_EQ(formatFixed(-v), formatFixedExact(-v)) << v;
    }
}

// Millions of values: too slow for every build under the sanitizers, run it by hand with
// --gtest_also_run_disabled_tests --gtest_filter='*millions*'.
TEST(FixedForm, DISABLED_shortcutWritesWhatTheExpansionGivesForMillionsOfValues) {
    expectShortcutMatchesExpansion(1'000'000, 2);
}

TEST(FixedForm, appendsToAnExistingBuffer) {
    std::string line = "p=\"";
    appendFixed(line, 1.5);
    line += ' ';
    appendFixed(line, -0.25);
    EXPECT_EQ(line, "p=\"1.5000 -0.2500");
}

TEST(LocaleSeparator, followsTheLanguageAndTerritoryOfTheLocaleName) {
    for (const auto& [name, separator] :
         {std::pair{"de_DE.UTF-8", ','}, {"de_AT", ','}, {"de_CH.UTF-8", '.'}, {"fr_CH", ','},
          {"fr_FR@euro", ','}, {"nl_NL.ISO-8859-1", ','}, {"es_MX.UTF-8", '.'},
          {"en_US.UTF-8", '.'}, {"C", '.'}, {"POSIX", '.'}, {"C.UTF-8", '.'}, {"", '.'}})
        EXPECT_EQ(decimalSeparatorForLocale(name), separator) << name;
}

} // namespace
} // namespace trassolin
