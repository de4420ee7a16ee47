// Pattern formatting of arbitrary values within the patterns' range: the
// text reads back as the value to within half a unit of its last decimal.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "text/numbers.h"

namespace {

using namespace celestra;

struct Pattern {
    const char* text;
    int decimals;
    int minimumIntegerDigits;
};

constexpr Pattern kPatterns[] = {{"000.0000", 4, 3}, {"   00.0000  ", 4, 2}, {"00.0;-0.0", 1, 1}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 + sizeof(double)) return 0;
    const Pattern& pattern = kPatterns[data[0] % 3];
    long double value;
    if (size >= 1 + sizeof(long double) && (data[0] & 0x80) != 0) {
        std::memcpy(&value, data + 1, sizeof(long double));
    } else {
        double asDouble;
        std::memcpy(&asDouble, data + 1, sizeof(double));
        value = asDouble;
    }
    // The patterns' range: any finite value below 10^15 (the element line
    // writes nodes, inclinations and slopes far smaller).
    if (!std::isfinite(value) || std::fabs(value) >= 1e15L) return 0;

    const std::string text = FormatFloat(pattern.text, value);
    // The pattern's blanks are literals, and a sign goes before them.
    std::string number = text;
    std::erase(number, ' ');
    long double readBack;
    FUZZ_CHECK(TryTextToFloat(number, readBack));
    const long double halfUnit = 0.5L * std::pow(10.0L, -pattern.decimals);
    // Half a unit of the last decimal, and the 18-digit step before it.
    FUZZ_CHECK(std::fabs(readBack - value) <= halfUnit * (1 + 1e-12L) + std::fabs(value) * 1e-17L);
    // Exactly the pattern's decimals, and at least its integer digits.
    const std::size_t point = number.find('.');
    FUZZ_CHECK(point != std::string::npos && number.size() - point - 1 == static_cast<std::size_t>(pattern.decimals));
    const std::size_t integerStart = number[0] == '-' ? 1 : 0;
    FUZZ_CHECK(point - integerStart >= static_cast<std::size_t>(pattern.minimumIntegerDigits));
    // A value that shows as zero has no sign.
    FUZZ_CHECK(!(readBack == 0 && number[0] == '-'));
    return 0;
}
