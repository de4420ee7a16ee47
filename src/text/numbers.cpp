#include "text/numbers.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cfloat>
#include <cstdlib>
#include <charconv>
#include <cmath>
#include <vector>

#include "text/conventions.h"
#include "text/errors.h"

namespace celestra {
namespace {

constexpr char kBlank = ' ';

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void ThrowNotInteger(std::string_view text) {
    throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
}

[[noreturn]] void ThrowNotFloat(std::string_view text) {
    throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && text[pos] == kBlank) ++pos;
    return pos;
}

// ---- Text to float ---------------------------------------------------------

// Exponent digits are taken only while the exponent read so far is below
// this; 1e1000 reads whole while 1e5000 leaves a digit over and fails.
constexpr int kExponentDigitLimit = 500;

// Significant digits handed to the binary conversion. Far more than the 21
// an extended value can need to round correctly for any text of the system's
// fields; the rest only decides, through a sticky digit, whether the value
// lies above a halfway point.
constexpr std::size_t kMaxSignificantDigits = 1000;

// Decimal orders (position of the first significant digit) beyond which the
// value is certainly outside the extended range (about 1e-4951 to 1.19e4932).
constexpr long long kOrderSurelyTooLarge = 4940;
constexpr long long kOrderSurelyTooSmall = -4960;

// A decimal value as read: significant digits d1 d2 ... and an exponent, the
// value being 0.d1d2... x 10^order.
struct DecimalText {
    std::string digits;
    long long order = 0;
};

// Clinger's fast path: with at most 19 digits the digits form an integer
// that an extended value holds exactly, and so does 10^k for k <= 27 (5^27 <
// 2^64); one correctly rounded multiplication or division then gives the
// nearest extended value. It needs a 64-bit significand and arithmetic
// carried out in it, which the x87 unit of x86-64 POSIX systems provides.
#if defined(__x86_64__) && !defined(_WIN32) && LDBL_MANT_DIG == 64
constexpr bool kExactExtendedArithmetic = true;
#else
constexpr bool kExactExtendedArithmetic = false;
#endif
constexpr std::size_t kFastPathDigits = 19;
constexpr int kLargestExactPowerOfTen = 27;

bool FastDecimalToExtended(const DecimalText& decimal, long double& value) {
    if (!kExactExtendedArithmetic || decimal.digits.size() > kFastPathDigits) return false;
    const long long scale = decimal.order - static_cast<long long>(decimal.digits.size());
    if (scale < -kLargestExactPowerOfTen || scale > kLargestExactPowerOfTen) return false;
    std::uint64_t mantissa = 0;
    for (char c : decimal.digits) mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    long double power = 1.0L;
    for (long long i = 0; i < (scale < 0 ? -scale : scale); ++i) power *= 10.0L;  // exact
    const long double exactMantissa = static_cast<long double>(mantissa);
    value = scale < 0 ? exactMantissa / power : exactMantissa * power;
    return true;
}

// Converts the digits to the nearest extended value; false when the value
// is too large for extended precision.
bool DecimalToExtended(const DecimalText& decimal, long double& value) {
    if (FastDecimalToExtended(decimal, value)) return true;
    if (decimal.digits.empty() || decimal.order < kOrderSurelyTooSmall) {
        value = 0.0L;
        return true;
    }
    if (decimal.order > kOrderSurelyTooLarge) return false;

    // An integer of the significant digits and a power of ten: no decimal
    // point, so no C library reads a locale's separator into it.
    std::string text;
    long long exponent = decimal.order;
    if (decimal.digits.size() > kMaxSignificantDigits) {
        text.assign(decimal.digits, 0, kMaxSignificantDigits);
        if (decimal.digits.find_first_not_of('0', kMaxSignificantDigits) != std::string::npos) text += '1';
    } else {
        text = decimal.digits;
    }
    exponent -= static_cast<long long>(text.size());
    text += 'e';
    text += std::to_string(exponent);

    // The C library's strtold rounds correctly (glibc; MinGW-w64's own
    // gdtoa); the standard's from_chars for long double goes through double
    // on MinGW.
    errno = 0;
    const long double parsed = std::strtold(text.c_str(), nullptr);
    if (errno == ERANGE && decimal.order > 0) return false;  // too large
    if (!std::isfinite(parsed)) return false;
    value = parsed;  // too small comes out as the nearest tiny value, or zero
    return true;
}

// ---- Pattern formatting ----------------------------------------------------

// The magnitude of a value written with 18 significant digits (ties to even),
// then cut: digits d1 d2 ... dn (no trailing zeros, none when the value is
// zero) and the exponent E, the value being 0.d1d2...dn x 10^E.
struct Digits {
    std::string digits;
    int exponent = 0;
    bool IsZero() const { return digits.empty(); }
};

constexpr int kSignificantDigits = 18;

Digits EighteenDigits(long double magnitude) {
    Digits result;
    if (magnitude == 0.0L) return result;
    // "d.ddddddddddddddddde+XX": 1 + 17 digits, correctly rounded. A value
    // that is exactly a double has the same decimal expansion as that
    // double, whose conversion is much faster than the extended one.
    std::array<char, 64> buffer{};
    const auto asDouble = static_cast<double>(magnitude);
    const auto written =
        static_cast<long double>(asDouble) == magnitude
            ? std::to_chars(buffer.data(), buffer.data() + buffer.size(), asDouble, std::chars_format::scientific,
                            kSignificantDigits - 1)
            : std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific,
                            kSignificantDigits - 1);
    const std::string_view text(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data()));
    const auto e = text.find('e');
    result.digits.reserve(kSignificantDigits);
    for (char c : text.substr(0, e)) {
        if (IsDigit(c)) result.digits += c;
    }
    int exponent10 = 0;
    const auto exponentText = text.substr(e + 1);
    const char* first = exponentText.data() + (exponentText.front() == '+' ? 1 : 0);
    std::from_chars(first, exponentText.data() + exponentText.size(), exponent10);
    result.exponent = exponent10 + 1;
    return result;
}

// Keeps the digits that reach down to the fractionDigits-th decimal place;
// a dropped first digit of 5 or more adds one unit in the last kept place.
void CutAtDecimals(Digits& number, int fractionDigits) {
    if (number.IsZero()) return;
    const int keep = number.exponent + fractionDigits;
    if (keep < 0) {
        number.digits.clear();
        return;
    }
    if (keep < static_cast<int>(number.digits.size())) {
        const bool roundUp = number.digits[static_cast<std::size_t>(keep)] >= '5';
        number.digits.resize(static_cast<std::size_t>(keep));
        if (roundUp) {
            int place = keep - 1;
            while (place >= 0 && number.digits[static_cast<std::size_t>(place)] == '9') {
                number.digits[static_cast<std::size_t>(place)] = '0';
                --place;
            }
            if (place >= 0) {
                ++number.digits[static_cast<std::size_t>(place)];
            } else {
                number.digits = "1";
                ++number.exponent;
            }
        }
    }
    const auto last = number.digits.find_last_not_of('0');
    number.digits.resize(last == std::string::npos ? 0 : last + 1);
}

struct SectionMeasures {
    int integerPlaceholders = 0;   // I
    int fractionPlaceholders = 0;  // F
    int requiredInteger = 0;       // RI
    int requiredFraction = 0;      // RF
};

bool IsPlaceholder(char c) { return c == '0' || c == '#'; }

SectionMeasures Measure(std::string_view section) {
    SectionMeasures m;
    bool afterPoint = false;
    bool seenZero = false;
    for (char c : section) {
        if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (IsPlaceholder(c)) {
            if (afterPoint) {
                ++m.fractionPlaceholders;
                if (c == '0') m.requiredFraction = m.fractionPlaceholders;
            } else {
                ++m.integerPlaceholders;
                if (c == '0') seenZero = true;
                if (seenZero) ++m.requiredInteger;
            }
        }
    }
    return m;
}

std::vector<std::string_view> SplitSections(std::string_view pattern) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    while (true) {
        const auto end = pattern.find(';', start);
        sections.push_back(pattern.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return sections;
}

// Section `index` when the pattern has it and it is not empty, else the first.
std::size_t UsableSection(const std::vector<std::string_view>& sections, std::size_t index) {
    return index < sections.size() && !sections[index].empty() ? index : 0;
}

// Writes the section over a cut, non-negative number.
std::string WriteSection(std::string_view section, const SectionMeasures& m, const Digits& number) {
    // Integer and fraction digits of 0.d1d2... x 10^E.
    std::string integerDigits;
    std::string fractionDigits;
    if (number.exponent > 0) {
        const auto e = static_cast<std::size_t>(number.exponent);
        integerDigits = number.digits.substr(0, e);
        integerDigits.resize(e, '0');
        if (number.digits.size() > e) fractionDigits = number.digits.substr(e);
    } else if (!number.IsZero()) {
        fractionDigits.assign(static_cast<std::size_t>(-number.exponent), '0');
        fractionDigits += number.digits;
    }
    if (static_cast<int>(integerDigits.size()) < m.requiredInteger) {
        integerDigits.insert(0, static_cast<std::size_t>(m.requiredInteger) - integerDigits.size(), '0');
    }
    // Cutting left at most F fraction digits; zeros fill up to RF.
    const int fractionCount = std::max(static_cast<int>(fractionDigits.size()), m.requiredFraction);
    fractionDigits.resize(static_cast<std::size_t>(fractionCount), '0');

    const int integerCount = static_cast<int>(integerDigits.size());
    std::string out;
    bool afterPoint = false;
    int integerPlace = 0;   // placeholders met before the point
    int fractionPlace = 0;  // placeholders met after it
    for (char c : section) {
        if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (IsPlaceholder(c) && !afterPoint) {
            // Placeholder j stands for the digit j places left of the
            // units place counted from the pattern's leftmost integer
            // placeholder; the first one also takes every digit beyond.
            const int place = m.integerPlaceholders - 1 - integerPlace;  // 0 = units
            if (integerPlace == 0 && integerCount > m.integerPlaceholders) {
                out.append(integerDigits, 0, static_cast<std::size_t>(integerCount - m.integerPlaceholders));
            }
            if (place < integerCount) out += integerDigits[static_cast<std::size_t>(integerCount - 1 - place)];
            ++integerPlace;
        } else if (IsPlaceholder(c)) {
            if (fractionPlace < fractionCount) {
                if (fractionPlace == 0) out += Conventions().decimalSeparator;
                out += fractionDigits[static_cast<std::size_t>(fractionPlace)];
            }
            ++fractionPlace;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::int32_t TextToInt(std::string_view text) {
    std::size_t pos = SkipBlanks(text, 0);
    if (pos == text.size()) ThrowNotInteger(text);

    const bool dollarOrX = text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X';
    const bool zeroX = text[pos] == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X');
    if (dollarOrX || zeroX) {
        pos += dollarOrX ? 1 : 2;
        if (pos == text.size()) ThrowNotInteger(text);
        std::uint32_t value = 0;
        int significant = 0;
        for (; pos < text.size(); ++pos) {
            const int digit = HexDigitValue(text[pos]);
            if (digit < 0) ThrowNotInteger(text);
            if (significant > 0 || digit != 0) ++significant;
            if (significant > 8) ThrowNotInteger(text);
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return static_cast<std::int32_t>(value);  // two's complement: FFFFFFFF is -1
    }

    bool negative = false;
    if (text[pos] == '-' || text[pos] == '+') {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size()) ThrowNotInteger(text);
    // Magnitude up to 2^31, which only a negative number may reach.
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDigit(text[pos])) ThrowNotInteger(text);
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > kLimit) ThrowNotInteger(text);
    }
    if (!negative && magnitude == kLimit) ThrowNotInteger(text);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

bool TryTextToFloat(std::string_view text, long double& result) {
    const char separator = Conventions().decimalSeparator;
    std::size_t pos = SkipBlanks(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }

    // Mantissa: digits, then the separator and more digits. Leading zeros
    // are dropped; each digit after the separator lowers the order by one.
    DecimalText decimal;
    const std::size_t mantissaStart = pos;
    long long integerDigitCount = 0;
    long long leadingFractionZeros = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        if (decimal.digits.empty() && text[pos] == '0') continue;
        decimal.digits += text[pos];
        ++integerDigitCount;
    }
    if (pos < text.size() && text[pos] == separator) {
        for (++pos; pos < text.size() && IsDigit(text[pos]); ++pos) {
            if (decimal.digits.empty() && text[pos] == '0') {
                ++leadingFractionZeros;
                continue;
            }
            decimal.digits += text[pos];
        }
    }
    if (pos == mantissaStart) return false;

    // Exponent.
    long long exponent = 0;
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            negativeExponent = text[pos] == '-';
            ++pos;
        }
        for (; pos < text.size() && IsDigit(text[pos]) && exponent < kExponentDigitLimit; ++pos) {
            exponent = exponent * 10 + (text[pos] - '0');
        }
        if (negativeExponent) exponent = -exponent;
    }

    pos = SkipBlanks(text, pos);
    if (pos != text.size()) return false;

    decimal.order = integerDigitCount - leadingFractionZeros + exponent;
    long double value = 0.0L;
    if (!DecimalToExtended(decimal, value)) return false;
    result = negative ? -value : value;
    return true;
}

long double TextToFloat(std::string_view text) {
    long double value = 0.0L;
    if (!TryTextToFloat(text, value)) ThrowNotFloat(text);
    return value;
}

std::string FormatFloat(std::string_view pattern, long double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";

    const auto sections = SplitSections(pattern);
    const bool negative = std::signbit(value);
    std::size_t index = UsableSection(sections, negative ? 1 : (value == 0.0L ? 2 : 0));
    SectionMeasures measures = Measure(sections[index]);

    Digits number = EighteenDigits(std::fabs(value));
    CutAtDecimals(number, measures.fractionPlaceholders);
    if (number.IsZero()) {
        // Zero at the pattern's precision is written as zero, unsigned.
        index = UsableSection(sections, 2);
        measures = Measure(sections[index]);
        return WriteSection(sections[index], measures, number);
    }
    std::string text = WriteSection(sections[index], measures, number);
    // The second section's literals stand in for the sign; the first
    // section serving a negative value gets one.
    if (negative && index == 0) text.insert(0, 1, '-');
    return text;
}

std::string IntToText(std::int64_t value) { return std::to_string(value); }

long double FractionalPart(long double x) { return x - std::trunc(x); }

}  // namespace celestra
