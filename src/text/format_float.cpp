// Numbers to text by a pattern.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "text/conventions.h"
#include "text/number_scan.h"
#include "text/numbers.h"

namespace celestra {
namespace {

using number_text::IsDigit;

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
    const auto written = static_cast<long double>(asDouble) == magnitude
                             ? std::to_chars(buffer.data(), buffer.data() + buffer.size(), asDouble,
                                             std::chars_format::scientific, kSignificantDigits - 1)
                             : std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                             std::chars_format::scientific, kSignificantDigits - 1);
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
                number.digits.assign(1, '1');  // GCC 12 warns (-Wrestrict) about assigning a literal here
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

}  // namespace celestra
