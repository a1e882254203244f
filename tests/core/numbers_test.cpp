#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
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
                      ParseCase{"1,7976931348623157e308", std::numeric_limits<double>::max()}));

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
                                           "-1e309", ".", "-", "1,5,", "e5", "1f", "1_0"));

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
    EXPECT_EQ(decimalRound(1.005, -2), 1.0); // 1.005 is stored just below the tie
    EXPECT_EQ(decimalRound(0.125, -2), 0.12); // exact tie goes to the even neighbour
    EXPECT_EQ(decimalRound(0.375, -2), 0.38);
    EXPECT_EQ(decimalRound(-0.125, -2), -0.12);
    EXPECT_EQ(decimalRound(1.2995, -3), 1.3);
    EXPECT_EQ(decimalRound(-30.004, -2), -30.0);
    EXPECT_EQ(decimalRound(57.29577951308232, -2), 57.3);
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
    ::testing::Values(
        FormatCase{0.0, "0"}, FormatCase{-0.0, "0"},
        FormatCase{-30.0, "-30"}, FormatCase{2.5, "2,5"}, FormatCase{0.1 + 0.2, "0,3"},
        FormatCase{1.0 / 3.0, "0,333333333333333"}, FormatCase{2.0 / 3.0, "0,666666666666667"},
        FormatCase{0.00001, "0,00001"}, FormatCase{0.0000099999, "9,9999E-6"},
        FormatCase{1e-6, "1E-6"}, FormatCase{-1.5e-7, "-1,5E-7"},
        FormatCase{123456789012345.0, "123456789012345"},
        FormatCase{999999999999999.0, "999999999999999"}, FormatCase{1e15, "1E15"},
        FormatCase{1234567890123456.0, "1,23456789012346E15"},
        FormatCase{12345.678901234567, "12345,6789012346"}, FormatCase{1e100, "1E100"},
        FormatCase{5e-324, "4,94065645841247E-324"}));

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
                      FixedCase{2.00005, "2.0000"}, FixedCase{9999.99996, "10000.0000"}, FixedCase{0.12345, "0.1235"},
                      FixedCase{1e10, "10000000000.0000"},
                      FixedCase{-1e10, "-10000000000.0000"},
                      FixedCase{123456789.123456789, "123456789.1235"},
                      FixedCase{1e-300, "0.0000"}, FixedCase{1e18, "1E18"},
                      // below the tie as doubles, on it in 18 digits: the expansion decides
                      FixedCase{0.01405, "0.0141"}, FixedCase{0.02495, "0.0250"},
                      FixedCase{-0.02495, "-0.0250"}, FixedCase{0.00015, "0.0001"},
                      // exact binary ties
                      FixedCase{0.03125, "0.0313"}, FixedCase{-0.03125, "-0.0313"}));

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
