// Text to integer and back.
#include <string>

#include "text/errors.h"
#include "text/fixed_texts.h"
#include "text/number_scan.h"
#include "text/numbers.h"

namespace celestra {
namespace {

using number_text::IsDigit;
using number_text::SkipBlanks;

int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

ConversionError NotAnIntegerError(std::string_view text) {
    return ConversionError("'" + std::string(text) + kNotAnIntegerAfter);
}

std::int32_t TextToInt(std::string_view text) {
    std::int32_t value = 0;
    if (!TryTextToInt(text, value)) throw NotAnIntegerError(text);
    return value;
}

bool TryTextToInt(std::string_view text, std::int32_t& result) {
    std::size_t pos = SkipBlanks(text, 0);
    if (pos == text.size()) return false;

    const bool dollarOrX = text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X';
    const bool zeroX = text[pos] == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X');
    if (dollarOrX || zeroX) {
        pos += dollarOrX ? 1 : 2;
        if (pos == text.size()) return false;
        std::uint32_t value = 0;
        int significant = 0;
        for (; pos < text.size(); ++pos) {
            const int digit = HexDigitValue(text[pos]);
            if (digit < 0) return false;
            if (significant > 0 || digit != 0) ++significant;
            if (significant > 8) return false;
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        result = static_cast<std::int32_t>(value);  // two's complement: FFFFFFFF is -1
        return true;
    }

    bool negative = false;
    if (text[pos] == '-' || text[pos] == '+') {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size()) return false;
    // Magnitude up to 2^31, which only a negative number may reach.
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDigit(text[pos])) return false;
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > kLimit) return false;
    }
    if (!negative && magnitude == kLimit) return false;
    result = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::string IntToText(std::int64_t value) { return std::to_string(value); }

}  // namespace celestra
