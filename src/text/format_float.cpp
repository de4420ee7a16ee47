// Numbers to text by a pattern.
#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "text/conventions.h"
#include "text/extended_precision.h"
#include "text/number_scan.h"
#include "text/numbers.h"

namespace celestra {
namespace {

using number_text::IsDigit;

// The magnitude of a value written with 18 significant digits (ties to even),
// then cut: digits d1 d2 ... dn (no trailing zeros, none when the value is
// zero) and the exponent E, the value being 0.d1d2...dn x 10^E. The digits
// live in the object itself: formatting is done for every field of every
// line written.
constexpr int kSignificantDigits = 18;

struct Digits {
    std::array<char, kSignificantDigits + 2> buffer{};
    int count = 0;
    int exponent = 0;
    bool IsZero() const { return count == 0; }
    std::string_view View() const { return {buffer.data(), static_cast<std::size_t>(count)}; }
    void DropTrailingZeros() {
        while (count > 0 && buffer[static_cast<std::size_t>(count - 1)] == '0') --count;
    }
};

// Powers of ten that fit 64 bits, 10^0 to 10^19.
constexpr std::array<std::uint64_t, 20> kPowersOfTen = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (auto& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

// The exact 18-digit rounding by integer arithmetic, for the values the
// element lines write (0.1 to 10^17): the extended value is M x 2^E with a
// 64-bit significand M, read from its bits, so no rounding mode or precision
// setting of the floating-point unit takes part. False for other values,
// and where long double is not the x87 extended format.
#if CELESTRA_X87_EXTENDED && defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 UInt128;  // GCC and Clang, on 64-bit targets

// The 18 significant digits as one integer: `whole` in [10^17, 10^18] and
// the decimal order k of the value (10^k <= value < 10^(k+1)), so that the
// rounded value is whole x 10^(k-17). 10^18 stands for a value that rounded
// up to the next power of ten.
bool RoundToEighteenDigits(long double magnitude, std::uint64_t& whole, int& order) {
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &magnitude, sizeof bytes);
    std::uint64_t significand = 0;
    std::uint16_t signAndExponent = 0;
    std::memcpy(&significand, bytes, sizeof significand);
    std::memcpy(&signAndExponent, bytes + sizeof significand, sizeof signAndExponent);
    const int biasedExponent = signAndExponent & 0x7FFF;
    if (biasedExponent == 0 || biasedExponent == 0x7FFF || (significand >> 63) == 0) return false;
    const int shift = 16383 + 63 - biasedExponent;  // magnitude = significand / 2^shift
    // 0.01 <= magnitude < 2^62: shift from 2 to 70, and significand x 10^19
    // below 2^128.
    if (shift < 2 || shift > 70) return false;

    // A first guess of the decimal order from the binary one, corrected by
    // at most one.
    const int binaryOrder = 63 - shift;
    order = (binaryOrder * 30103 - (binaryOrder < 0 ? 99999 : 0)) / 100000;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = kSignificantDigits - 1 - order;  // digits after the point
        if (scale < 0 || scale > 19) return false;
        const UInt128 scaled = static_cast<UInt128>(significand) * kPowersOfTen[static_cast<std::size_t>(scale)];
        whole = static_cast<std::uint64_t>(scaled >> shift);
        if (whole >= kPowersOfTen[kSignificantDigits]) {
            ++order;
            continue;
        }
        if (whole < kPowersOfTen[kSignificantDigits - 1]) {
            --order;
            continue;
        }
        const UInt128 rest = scaled & ((static_cast<UInt128>(1) << shift) - 1);
        const UInt128 half = static_cast<UInt128>(1) << (shift - 1);
        if (rest > half || (rest == half && (whole & 1) != 0)) ++whole;
        return true;
    }
    return false;
}

bool FastEighteenDigits(long double magnitude, Digits& result) {
    std::uint64_t whole = 0;
    int order = 0;
    if (!RoundToEighteenDigits(magnitude, whole, order)) return false;
    if (whole == kPowersOfTen[kSignificantDigits]) {  // 999...95 rounds up to 10^(k+1)
        result.buffer[0] = '1';
        result.count = 1;
        result.exponent = order + 2;
        return true;
    }
    for (int i = kSignificantDigits - 1; i >= 0; --i) {
        result.buffer[static_cast<std::size_t>(i)] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    }
    result.count = kSignificantDigits;
    result.exponent = order + 1;
    result.DropTrailingZeros();
    return true;
}
#else
bool RoundToEighteenDigits(long double, std::uint64_t&, int&) { return false; }
bool FastEighteenDigits(long double, Digits&) { return false; }
#endif

Digits EighteenDigits(long double magnitude) {
    Digits result;
    if (magnitude == 0.0L) return result;
    if (FastEighteenDigits(magnitude, result)) return result;
    // "d.ddddddddddddddddde+XX": 1 + 17 digits, correctly rounded. A value
    // that is exactly a double has the same decimal expansion as that
    // double, whose conversion is much faster than the extended one.
    std::array<char, 64> text{};
    const auto asDouble = static_cast<double>(magnitude);
    const auto written = static_cast<long double>(asDouble) == magnitude
                             ? std::to_chars(text.data(), text.data() + text.size(), asDouble,
                                             std::chars_format::scientific, kSignificantDigits - 1)
                             : std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                             std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view view(text.data(), static_cast<std::size_t>(written.ptr - text.data()));
    const auto e = view.find('e');
    for (char c : view.substr(0, e)) {
        if (IsDigit(c) && result.count < kSignificantDigits)
            result.buffer[static_cast<std::size_t>(result.count++)] = c;
    }
    int exponent10 = 0;
    const auto exponentText = view.substr(e + 1);
    const char* first = exponentText.data() + (exponentText.front() == '+' ? 1 : 0);
    std::from_chars(first, exponentText.data() + exponentText.size(), exponent10);
    result.exponent = exponent10 + 1;
    result.DropTrailingZeros();
    return result;
}

// Keeps the digits that reach down to the fractionDigits-th decimal place;
// a dropped first digit of 5 or more adds one unit in the last kept place.
void CutAtDecimals(Digits& number, int fractionDigits) {
    if (number.IsZero()) return;
    const int keep = number.exponent + fractionDigits;
    if (keep < 0) {
        number.count = 0;
        return;
    }
    if (keep < number.count) {
        const bool roundUp = number.buffer[static_cast<std::size_t>(keep)] >= '5';
        number.count = keep;
        if (roundUp) {
            int place = keep - 1;
            while (place >= 0 && number.buffer[static_cast<std::size_t>(place)] == '9') {
                number.buffer[static_cast<std::size_t>(place)] = '0';
                --place;
            }
            if (place >= 0) {
                ++number.buffer[static_cast<std::size_t>(place)];
            } else {
                number.buffer[0] = '1';
                number.count = 1;
                ++number.exponent;
            }
        }
    }
    number.DropTrailingZeros();
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

// The pattern's sections: the first three; any further one is never used.
struct Sections {
    std::array<std::string_view, 3> parts{};
    std::size_t count = 0;
};

Sections SplitSections(std::string_view pattern) {
    Sections sections;
    std::size_t start = 0;
    while (sections.count < sections.parts.size()) {
        const auto end = pattern.find(';', start);
        sections.parts[sections.count++] = pattern.substr(start, end == std::string_view::npos ? end : end - start);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return sections;
}

// Section `index` when the pattern has it and it is not empty, else the first.
std::size_t UsableSection(const Sections& sections, std::size_t index) {
    return index < sections.count && !sections.parts[index].empty() ? index : 0;
}

// Writes the section over a cut, non-negative number.
std::string WriteSection(std::string_view section, const SectionMeasures& m, const Digits& number) {
    // The number is 0.d1d2... x 10^E: its integer part has E digits (when E
    // > 0), its fraction the digits after those; the pattern's required
    // zeros extend both.
    const std::string_view digits = number.View();
    const int e = number.exponent;
    const int count = number.count;
    const int integerCount = std::max(e > 0 ? e : 0, m.requiredInteger);
    const int fractionCount = std::max(number.IsZero() ? 0 : std::max(count - e, 0), m.requiredFraction);
    // The digit `place` places left of the units (0: the units) and the
    // `place`-th after the point; '0' where the number has none.
    const auto integerDigit = [&](int place) {
        const int at = e - 1 - place;
        return at >= 0 && at < count ? digits[static_cast<std::size_t>(at)] : '0';
    };
    const auto fractionDigit = [&](int place) {
        const int at = e + place;
        return at >= 0 && at < count ? digits[static_cast<std::size_t>(at)] : '0';
    };

    std::string out;
    out.reserve(section.size() + static_cast<std::size_t>(integerCount + fractionCount) + 1);
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
            if (integerPlace == 0) {
                for (int beyond = integerCount - 1; beyond >= m.integerPlaceholders; --beyond) {
                    out += integerDigit(beyond);
                }
            }
            if (place < integerCount) out += integerDigit(place);
            ++integerPlace;
        } else if (IsPlaceholder(c)) {
            if (fractionPlace < fractionCount) {
                if (fractionPlace == 0) out += Conventions().decimalSeparator;
                out += fractionDigit(fractionPlace);
            }
            ++fractionPlace;
        } else {
            out += c;
        }
    }
    return out;
}

// A section of the most common shape, literals then zeros with or without
// a point and more zeros ("0.0000", "-0.0"), is written straight from the
// rounded integer.
struct PlainSection {
    bool plain = false;
    std::string_view prefix;  // the literals before the zeros
    int integerZeros = 0;
    int decimals = 0;
};

PlainSection ShapeOf(std::string_view section) {
    PlainSection shape;
    std::size_t pos = 0;
    while (pos < section.size() && !IsPlaceholder(section[pos]) && section[pos] != '.') ++pos;
    shape.prefix = section.substr(0, pos);
    for (; pos < section.size() && section[pos] == '0'; ++pos) ++shape.integerZeros;
    if (pos < section.size() && section[pos] == '.') {
        for (++pos; pos < section.size() && section[pos] == '0'; ++pos) ++shape.decimals;
        if (shape.decimals == 0) return shape;
    }
    shape.plain = shape.integerZeros > 0 && pos == section.size();
    return shape;
}

}  // namespace

// A pattern split into its sections and measured once: the element lines
// use a handful of patterns, each for every line written. The sections are
// views into the pattern's own copy.
struct CompiledPattern {
    std::string text;
    Sections sections;
    std::array<SectionMeasures, 3> measures{};
    std::array<PlainSection, 3> shapes{};
};

namespace {

// The text of a plain section for a non-zero magnitude, by the same two
// roundings as the general way: 18 significant digits (ties to even), then
// the section's decimals (halves away from zero). False where the integer
// arithmetic does not reach, or the value writes as zero.
bool WritePlain(const PlainSection& shape, long double magnitude, std::string& out) {
    std::uint64_t whole = 0;
    int order = 0;
    if (!RoundToEighteenDigits(magnitude, whole, order)) return false;
    if (whole == kPowersOfTen[kSignificantDigits]) {
        whole = kPowersOfTen[kSignificantDigits - 1];
        ++order;
    }
    // The value times 10^decimals is whole / 10^drop.
    const int drop = kSignificantDigits - 1 - order - shape.decimals;
    std::uint64_t scaled = 0;
    if (drop < -1) return false;
    if (drop == -1) {
        scaled = whole * 10;
    } else if (drop == 0) {
        scaled = whole;
    } else if (drop <= kSignificantDigits) {
        const std::uint64_t unit = kPowersOfTen[static_cast<std::size_t>(drop)];
        const std::uint64_t quotient = whole / unit;
        scaled = quotient + (whole - quotient * unit >= 5 * (unit / 10) ? 1 : 0);
    }
    if (scaled == 0) return false;
    // Digits from the right: the decimals, the separator, then the integer
    // part, at least as many digits as the section has zeros there.
    char text[64];
    char* first = text + sizeof text;
    for (int i = 0; i < shape.decimals; ++i) {
        *--first = static_cast<char>('0' + scaled % 10);
        scaled /= 10;
    }
    if (shape.decimals > 0) *--first = Conventions().decimalSeparator;
    int integerDigits = 0;
    do {
        *--first = static_cast<char>('0' + scaled % 10);
        scaled /= 10;
        ++integerDigits;
    } while (scaled > 0 || integerDigits < shape.integerZeros);
    if (!shape.prefix.empty()) {
        if (shape.prefix.size() > static_cast<std::size_t>(first - text)) return false;
        first -= shape.prefix.size();
        std::memcpy(first, shape.prefix.data(), shape.prefix.size());
    }
    out.append(first, static_cast<std::size_t>(text + sizeof text - first));
    return true;
}

// Splits and measures `pattern` into `compiled`, whose sections then view
// its own copy of the text.
void Compile(std::string_view pattern, CompiledPattern& compiled) {
    compiled.text.assign(pattern);
    compiled.sections = SplitSections(compiled.text);
    for (std::size_t i = 0; i < compiled.sections.count; ++i) {
        compiled.measures[i] = Measure(compiled.sections.parts[i]);
        compiled.shapes[i] = ShapeOf(compiled.sections.parts[i]);
    }
}

void Format(const CompiledPattern& compiled, long double value, std::string& text) {
    text.clear();
    if (std::isnan(value)) {
        text = "NAN";
        return;
    }
    if (std::isinf(value)) {
        text = value < 0 ? "-INF" : "INF";
        return;
    }

    const Sections& sections = compiled.sections;
    const bool negative = std::signbit(value);
    std::size_t index = UsableSection(sections, negative ? 1 : (value == 0.0L ? 2 : 0));
    if (value == 0.0L) {
        // Zero, of either sign, through the zero section.
        const std::size_t zeroIndex = UsableSection(sections, 2);
        const PlainSection& shape = compiled.shapes[zeroIndex];
        if (shape.plain) {
            text.assign(shape.prefix);
            text.append(static_cast<std::size_t>(shape.integerZeros), '0');
            if (shape.decimals > 0) {
                text += Conventions().decimalSeparator;
                text.append(static_cast<std::size_t>(shape.decimals), '0');
            }
            return;
        }
    } else if (compiled.shapes[index].plain) {
        if (negative && index == 0) text += '-';
        if (WritePlain(compiled.shapes[index], std::fabs(value), text)) return;
        text.clear();
    }

    Digits number = EighteenDigits(std::fabs(value));
    CutAtDecimals(number, compiled.measures[index].fractionPlaceholders);
    if (number.IsZero()) {
        // Zero at the pattern's precision is written as zero, unsigned.
        index = UsableSection(sections, 2);
        text = WriteSection(sections.parts[index], compiled.measures[index], number);
        return;
    }
    text = WriteSection(sections.parts[index], compiled.measures[index], number);
    // The second section's literals stand in for the sign; the first
    // section serving a negative value gets one.
    if (negative && index == 0) text.insert(0, 1, '-');
}

}  // namespace

std::string FormatFloat(std::string_view pattern, long double value) {
    CompiledPattern compiled;
    Compile(pattern, compiled);
    std::string text;
    Format(compiled, value, text);
    return text;
}

FloatPattern::FloatPattern(std::string_view pattern) : compiled_(std::make_unique<CompiledPattern>()) {
    Compile(pattern, *compiled_);
}

FloatPattern::~FloatPattern() = default;

void FloatPattern::Format(long double value, std::string& text) const { celestra::Format(*compiled_, value, text); }

std::string FloatPattern::Format(long double value) const {
    std::string text;
    Format(value, text);
    return text;
}

}  // namespace celestra
