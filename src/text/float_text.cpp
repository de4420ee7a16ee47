// Text to the nearest extended-precision value.
#include <array>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

#include "text/conventions.h"
#include "text/errors.h"
#include "text/extended_precision.h"
#include "text/fixed_texts.h"
#include "text/number_scan.h"
#include "text/numbers.h"

namespace celestra {
namespace {

using number_text::IsDigit;
using number_text::SkipBlanks;

[[noreturn]] void ThrowNotFloat(std::string_view text) {
    throw ConversionError("'" + std::string(text) + kNotAFloatAfter);
}

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
// carried out in it (kExactExtendedArithmetic).
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

constexpr std::uint64_t kTenToTheNineteen = 10000000000000000000ULL;

// 10^0 to 10^19, each exact in extended precision.
constexpr auto kExactPowersOfTen = [] {
    std::array<long double, kFastPathDigits + 1> powers{};
    long double power = 1.0L;
    for (auto& p : powers) {
        p = power;
        power *= 10.0L;
    }
    return powers;
}();

// The value of the plain decimal whose digits, read as one integer, are
// `digits` (below 10^19), `decimals` of them after the separator (at most
// 19), by one correctly rounded division. False where the arithmetic is not
// exact in extended precision.
bool TryDigitsToFloat(std::uint64_t digits, int decimals, long double& value) {
    if (!kExactExtendedArithmetic || digits >= kTenToTheNineteen || decimals < 0 ||
        decimals > static_cast<int>(kFastPathDigits)) {
        return false;
    }
    value = static_cast<long double>(digits) / kExactPowersOfTen[static_cast<std::size_t>(decimals)];
    return true;
}

// Nearly every number the system reads is a short plain decimal: blanks, a
// sign, at most 19 digits around one separator, blanks. Read in one pass and
// converted by the same exact step as above; false for anything else, which
// the general reading below takes.
bool FastPlainDecimal(std::string_view text, char separator, long double& result) {
    if (!kExactExtendedArithmetic) return false;
    std::size_t pos = SkipBlanks(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::uint64_t mantissa = 0;
    int digitCount = 0, fractionDigits = 0;
    bool afterSeparator = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsDigit(c)) {
            if (++digitCount > static_cast<int>(kFastPathDigits)) return false;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            fractionDigits += afterSeparator ? 1 : 0;
        } else if (c == separator && !afterSeparator) {
            afterSeparator = true;
        } else {
            break;
        }
    }
    if (digitCount == 0) return false;
    if (SkipBlanks(text, pos) != text.size()) return false;
    long double value = 0;
    if (!TryDigitsToFloat(mantissa, fractionDigits, value)) return false;
    result = negative ? -value : value;
    return true;
}

// Every other text: the general reading, kept out of the short path's way.
[[gnu::noinline]] bool TryGeneralTextToFloat(std::string_view text, char separator, long double& result);

}  // namespace

bool TryTextToFloat(std::string_view text, long double& result) {
    const char separator = Conventions().decimalSeparator;
    return FastPlainDecimal(text, separator, result) || TryGeneralTextToFloat(text, separator, result);
}

namespace {

bool TryGeneralTextToFloat(std::string_view text, char separator, long double& result) {
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

}  // namespace

long double TextToFloat(std::string_view text) {
    long double value = 0.0L;
    if (!TryTextToFloat(text, value)) ThrowNotFloat(text);
    return value;
}

long double FractionalPart(long double x) { return x - std::trunc(x); }

}  // namespace celestra
