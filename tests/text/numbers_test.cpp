#include "text/numbers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale>
#include <random>
#include <string>

#include "support/temp_dir.h"
#include "text/errors.h"

namespace celestra {
namespace {

// Expects a ConversionError with exactly this message.
template <typename Call>
void ExpectConversionError(Call call, const std::string& message) {
    EXPECT_THAT(call, ::testing::ThrowsMessage<ConversionError>(message));
}

struct IntRow {
    const char* text;
    bool ok;
    std::int32_t value;
    const char* reason;
};

TEST(TextToInt, AcceptsAndRejectsByTable) {
    const IntRow rows[] = {
        {"05", true, 5, "leading zeros are free"},
        {"0", true, 0, "a lone zero starts no hexadecimal form"},
        {"0x", false, 0, "a hexadecimal mark without digits"},
        {"+5", true, 5, ""},
        {"-5", true, -5, ""},
        {" 5", true, 5, "leading blanks are skipped"},
        {"   -00012", true, -12, ""},
        {"5 ", false, 0, "a trailing blank fails"},
        {"", false, 0, "empty"},
        {"   ", false, 0, "blanks only"},
        {"-", false, 0, "sign without digits"},
        {"1.0", false, 0, "no decimals"},
        {"\t5", false, 0, "a tab is not a blank"},
        {"2147483647", true, 2147483647, "largest"},
        {"-2147483648", true, -2147483647 - 1, "smallest"},
        {"2147483648", false, 0, "one past the largest"},
        {"-2147483649", false, 0, "one past the smallest"},
        {"99999999999999999999", false, 0, "far past the range"},
        {"$1F", true, 31, ""},
        {"x1F", true, 31, ""},
        {"X1f", true, 31, ""},
        {"$af", true, 175, "lower-case hexadecimal digits, a to f"},
        {"0x1F", true, 31, ""},
        {"0X1F", true, 31, ""},
        {" $10", true, 16, "blanks before a hexadecimal form"},
        {"$FFFFFFFF", true, -1, "taken modulo 2^32"},
        {"$80000000", true, -2147483647 - 1, ""},
        {"$7FFFFFFF", true, 2147483647, ""},
        {"$000000001", true, 1, "leading zeros are not significant"},
        {"$100000000", false, 0, "a ninth significant digit"},
        {"-$1F", false, 0, "no sign before a hexadecimal form"},
        {"+$1F", false, 0, ""},
        {"$", false, 0, "no digits"},
        {"0x", false, 0, "no digits"},
        {"$1G", false, 0, "not a hexadecimal digit"},
        {"$1F ", false, 0, "trailing blank"},
    };
    for (const IntRow& row : rows) {
        SCOPED_TRACE(std::string("'") + row.text + "' " + row.reason);
        if (row.ok) {
            EXPECT_EQ(TextToInt(row.text), row.value);
        } else {
            ExpectConversionError([&] { TextToInt(row.text); },
                                  std::string("'") + row.text + "' is not a valid integer value");
        }
    }
}

struct FloatRow {
    const char* text;
    bool ok;
    long double value;
    const char* reason;
};

// Values are compared exactly: the result must be the extended value nearest
// to the decimal text, which is also how the compiler rounds the literal.
TEST(TextToFloat, AcceptsAndRejectsByTable) {
    const FloatRow rows[] = {
        {"41.30", true, 41.3L, ""},
        {" 41.30", true, 41.3L, "blank before"},
        {"41.30 ", true, 41.3L, "blank after"},
        {"  -41.30  ", true, -41.3L, ""},
        {"5.", true, 5.0L, ""},
        {".5", true, 0.5L, ""},
        {".", true, 0.0L, "the separator alone is zero"},
        {"-0.5", true, -0.5L, ""},
        {"+7", true, 7.0L, ""},
        {"0.1", true, 0.1L, "rounded to extended, not to double"},
        {"07.33", true, 7.33L, ""},
        {"1e3", true, 1000.0L, ""},
        {"1E-2", true, 0.01L, ""},
        {"1e", true, 1.0L, "an exponent without digits is 0"},
        {"1e+", true, 1.0L, ""},
        {"2.5e+1", true, 25.0L, ""},
        {"1e1000", true, 1e1000L, "exponent digits read while below 500"},
        {"0.000000000000000000000000000001", true, 1e-30L, ""},
        {"123456789012345678901234567890", true, 123456789012345678901234567890.0L, "more than 19 digits"},
        {"1e-4999", true, 0.0L, "too small comes out as zero"},
        {"41,30", false, 0, "the separator is the point"},
        {"", false, 0, "empty"},
        {"   ", false, 0, "blanks only"},
        {"\t1", false, 0, "a tab is not a blank"},
        {"1 000", false, 0, "no grouping"},
        {"12.5.0", false, 0, "a second separator"},
        {"+", false, 0, "a sign alone"},
        {"e5", false, 0, "an exponent needs a mantissa"},
        {"1e5000", false, 0, "the fourth exponent digit is not taken"},
        {"1e-5000", false, 0, "nor below zero, where the value would come out as zero"},
        {"1e4999", false, 0, "too large for extended precision"},
        {"1.5x", false, 0, ""},
        {"--1", false, 0, ""},
        {"inf", false, 0, "no words"},
        {"nan", false, 0, ""},
    };
    for (const FloatRow& row : rows) {
        SCOPED_TRACE(std::string("'") + row.text + "' " + row.reason);
        if (row.ok) {
            EXPECT_EQ(TextToFloat(row.text), row.value);
        } else {
            ExpectConversionError([&] { TextToFloat(row.text); },
                                  std::string("'") + row.text + "' is not a valid floating point value");
        }
    }
}

// Short texts take a fast path; every text must still give the nearest
// extended value, which the C library's strtold (in the C locale, on a
// platform whose strtold rounds correctly) also gives.
#if defined(__GLIBC__)
TEST(TextToFloat, AgreesWithCorrectlyRoundedStrtold) {
    locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
        // 1 to 22 digits with a point somewhere, and now and then an exponent.
        const int digitCount = 1 + static_cast<int>(random() % 22);
        std::string text;
        for (int d = 0; d < digitCount; ++d) text += static_cast<char>('0' + random() % 10);
        text.insert(random() % (text.size() + 1), ".");
        if (random() % 4 == 0) text += "e" + std::to_string(static_cast<int>(random() % 61) - 30);
        const long double expected = strtold_l(text.c_str(), nullptr, c);
        ASSERT_EQ(TextToFloat(text), expected) << text;
    }
    freelocale(c);
}
#endif

// Past 1,000 significant digits only whether a non-zero digit follows
// counts: it decides a tie. 1 + 2^-64 lies halfway between 1 and the next
// extended value, which ties to even give as 1.
TEST(TextToFloat, RoundsALongTextByTheDigitsBeyondItsFirstThousand) {
    if (LDBL_MANT_DIG != 64) GTEST_SKIP() << "long double is not the 64-bit-significand extended format";
    const std::string halfway = "1.0000000000000000000542101086242752217003726400434970855712890625";
    const long double one = 1.0L;
    const long double next = std::nextafter(one, 2.0L);
    const struct {
        std::string text;
        long double expected;
        const char* reason;
    } rows[] = {
        {halfway, one, "a tie, to even"},
        {halfway + std::string(1500, '0'), one, "zeros beyond the thousandth digit decide nothing"},
        {halfway + std::string(1500, '0') + "1", next, "a digit far beyond the thousandth breaks the tie"},
        {halfway + std::string(930, '0') + "1", next, "and one just within the thousand"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        EXPECT_EQ(TextToFloat(row.text), row.expected);  // exact: the nearest extended value
    }
}

TEST(TextToFloat, KeepsTheSignOfZero) {
    EXPECT_TRUE(std::signbit(TextToFloat("-0")));
    EXPECT_FALSE(std::signbit(TextToFloat("0")));
}

TEST(TextToFloat, ReadsTheSeparatorOfTheConventions) {
    TextConventions comma;
    comma.decimalSeparator = ',';
    testing::ScopedConventions scoped(comma);
    EXPECT_EQ(TextToFloat("41,30"), 41.3L);
    ExpectConversionError([] { TextToFloat("41.30"); }, "'41.30' is not a valid floating point value");
}

struct FormatRow {
    const char* pattern;
    long double value;
    const char* text;
    const char* reason;
};

TEST(FormatFloat, WritesByTable) {
    const FormatRow rows[] = {
        {"000.0000", 0.0L, "000.0000", ""},
        {"000.0000", 5.5L, "005.5000", ""},
        {"000.0000", 359.99994L, "359.9999", ""},
        {"000.0000", 359.99996L, "360.0000", "carry into the integer part"},
        {"000.0000", 1234.5L, "1234.5000", "extra integer digits come out in full"},
        {"000.0000", 0.00004L, "000.0000", ""},
        {"000.0000", -12.5L, "-012.5000", "one section: the sign goes in front"},
        {"000.0000", -0.00004L, "000.0000", "rounds to zero: unsigned"},
        {"   00.0000  ", 5.5L, "   05.5000  ", "literals stay where they stand"},
        {"   00.0000  ", 123.45678L, "   123.4568  ", ""},
        {"   00.0000  ", -5.5L, "-   05.5000  ", "the sign goes before leading literals"},
        {"00.0;-0.0", 0.0L, "00.0", ""},
        {"00.0;-0.0", 0.92L, "00.9", ""},
        {"00.0;-0.0", 99.96L, "100.0", "all nines carry to a new digit"},
        {"00.0;-0.0", -0.04L, "00.0", "negative rounding to zero is zero"},
        {"00.0;-0.0", -0.06L, "-0.1", "k = 0: the dropped first digit rounds up"},
        {"00.0;-0.0", -12.34L, "-12.3", "second section writes no sign of its own"},
        {"00.0;-0.0", 0.25L, "00.3", "halves away from zero"},
        {"00.0;-0.0", -0.25L, "-0.3", ""},
        {"00.0;-0.0", -0.0L, "00.0", "negative zero"},
        {"00.0;-0.0", 0.0499999999999999999999L, "00.1", "the 18-digit step comes first"},
        {"00.0;;", -1.5L, "-01.5", "an empty section gives way to the first"},
        {"0.0;-0.0;zero", 0.0L, "zero", "the third section serves zero"},
        {"0.0;-0.0;zero", 0.04L, "zero", "and what rounds to zero"},
        {"0;n0;z;four", 0.0L, "z", "a fourth section is never used, nor read into the third"},
        {"0;n0;z;four", -3.0L, "n3", ""},
        {"0;n0;;four", 0.0L, "0", "an empty third section gives way to the first, not the fourth"},
        {"0", 123456789012345678.5L, "123456789012345678", "18-digit tie to even, down"},
        {"0", 123456789012345677.5L, "123456789012345678", "18-digit tie to even, up"},
        {"0", 0.5L, "1", ""},
        {"0", 0.4L, "0", ""},
        {"#.##", 0.0L, "", "nothing required, and the point writes nothing"},
        {"#.##", 0.5L, ".5", ""},
        {"#0.0#", 3.14159L, "3.14", ""},
        {"#0.0#", 3.1L, "3.1", "optional fraction digit left out"},
        {"0.00.0", 1.25L, "1.25.0", "only the first point is the decimal point"},
        {"0-0", 12345.0L, "1234-5", "extra digits at the first placeholder, before a literal"},
    };
    for (const FormatRow& row : rows) {
        SCOPED_TRACE(std::string("'") + row.pattern + "' " + row.reason);
        EXPECT_EQ(FormatFloat(row.pattern, row.value), row.text);
        // Prepared once, into a text that held another: the same.
        std::string reused = "a longer text than any row writes";
        FloatPattern(row.pattern).Format(row.value, reused);
        EXPECT_EQ(reused, row.text);
    }
}

// The reference: printf's correctly rounded 18 significant digits (ties to
// even), cut by hand to the pattern's decimals with halves away from zero.
// For patterns of zeros with a point: "0.0000", "000.0000" and the like.
std::string ReferenceFormat(int integerZeros, int decimals, long double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17Le", std::fabs(value));
    std::string digits;
    for (const char* c = text; *c != 'e'; ++c) {
        if (*c >= '0' && *c <= '9') digits += *c;
    }
    const int exponent = std::atoi(std::strchr(text, 'e') + 1) + 1;  // 0.digits x 10^exponent
    // Digits of the value times 10^decimals, then halves away from zero.
    const int keep = exponent + decimals;
    std::string kept = keep <= 0 ? "" : digits.substr(0, static_cast<std::size_t>(std::min<int>(keep, 18)));
    kept.resize(static_cast<std::size_t>(std::max(keep, 0)), '0');
    if (keep >= 0 && keep < 18 && digits[static_cast<std::size_t>(keep)] >= '5') {
        int place = static_cast<int>(kept.size()) - 1;
        while (place >= 0 && kept[static_cast<std::size_t>(place)] == '9')
            kept[static_cast<std::size_t>(place--)] = '0';
        if (place >= 0) {
            ++kept[static_cast<std::size_t>(place)];
        } else {
            kept.insert(0, 1, '1');
        }
    }
    kept.insert(0, static_cast<std::size_t>(std::max(0, decimals + integerZeros - static_cast<int>(kept.size()))), '0');
    const std::string whole = kept.substr(0, kept.size() - static_cast<std::size_t>(decimals));
    const std::string out = decimals > 0 ? whole + "." + kept.substr(whole.size()) : whole;
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    return (std::signbit(value) && !zero ? "-" : "") + out;
}

TEST(FormatFloat, AgreesWithPrintfForEveryKindOfValue) {
    std::mt19937_64 random(7);
    const struct {
        const char* pattern;
        int integerZeros, decimals;
    } patterns[] = {{"0.0000", 1, 4}, {"000.0000", 3, 4}, {"00.0000", 2, 4}, {"0.000000", 1, 6},
                    {"0.000", 1, 3},  {"00.0", 2, 1},     {"0", 1, 0}};
    for (int i = 0; i < 200000; ++i) {
        // A magnitude from 1e-3 to 1e18, as a double or with all 64 bits of
        // an extended significand; ties of the 18-digit step and of the cut.
        const long double scale = std::pow(10.0L, static_cast<long double>(random() % 22) - 3);
        long double value = scale * (1.0L + static_cast<long double>(random() >> 11) / 9007199254740992.0L);
        if (i % 3 == 1) value = static_cast<double>(value);
        if (i % 5 == 2) value = std::round(value * 1e4L) / 1e4L + 0.00005L;
        if (i % 2 == 1) value = -value;
        const auto& p = patterns[static_cast<std::size_t>(i) % std::size(patterns)];
        ASSERT_EQ(FormatFloat(p.pattern, value), ReferenceFormat(p.integerZeros, p.decimals, value))
            << p.pattern << " " << static_cast<double>(value);
    }
}

TEST(FormatFloat, WritesTheSeparatorOfTheConventions) {
    TextConventions comma;
    comma.decimalSeparator = ',';
    testing::ScopedConventions scoped(comma);
    EXPECT_EQ(FormatFloat("000.0000", 5.5L), "005,5000");
}

// The conversions must not follow a German or French numeric locale, whether
// set for C (setlocale) or for C++ (std::locale::global).
TEST(NumberConversions, IgnoreTheProcessLocale) {
    int tried = 0;
    // POSIX names, then Windows names.
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "German_Germany.1252", "French_France.1252"}) {
        SCOPED_TRACE(name);
        if (std::setlocale(LC_ALL, name) == nullptr) continue;
        ++tried;
        std::locale cppLocale;
        try {
            cppLocale = std::locale(name);
        } catch (const std::runtime_error&) {
            cppLocale = std::locale::classic();  // the C library knows it, the C++ library does not
        }
        const std::locale saved = std::locale::global(cppLocale);
        EXPECT_EQ(TextToFloat("41.30"), 41.3L);
        ExpectConversionError([] { TextToFloat("41,30"); }, "'41,30' is not a valid floating point value");
        EXPECT_EQ(FormatFloat("000.0000", 5.5L), "005.5000");
        EXPECT_EQ(FormatFloat("   00.0000  ", 1234.5L), "   1234.5000  ");
        EXPECT_EQ(IntToText(-1234567), "-1234567");
        std::locale::global(saved);
        std::setlocale(LC_ALL, "C");
    }
    if (tried == 0) GTEST_SKIP() << "no German or French locale is installed";
}

TEST(IntToText, WritesPlainDigits) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(3), "3");
    EXPECT_EQ(IntToText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToText(200000), "200000");
}

TEST(FractionalPart, CutsTowardZero) {
    // Exact: every value here and its fraction are representable.
    EXPECT_EQ(FractionalPart(38432.75L), 0.75L);
    EXPECT_EQ(FractionalPart(-2.25L), -0.25L);
    EXPECT_EQ(FractionalPart(7.0L), 0.0L);
}

}  // namespace
}  // namespace celestra
