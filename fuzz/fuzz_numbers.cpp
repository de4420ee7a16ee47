// Text to integer, to float and to date on arbitrary text.
#include <locale.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "platform/clock.h"
#include "text/dates.h"
#include "text/errors.h"
#include "text/numbers.h"

namespace {

using namespace celestra;

class StoppedClock final : public Clock {
public:
    LocalDateTime Now() const override { return {2026, 12, 8, 10, 0, 0, 0}; }
};

void CheckInteger(const std::string& text) {
    std::int32_t value;
    try {
        value = TextToInt(text);
    } catch (const ConversionError&) {
        return;
    }
    FUZZ_CHECK(TextToInt(IntToText(value)) == value);
}

// Where the text converts, the value is the nearest extended value, as the
// C library's correctly rounded strtold gives it (which reads a wider
// syntax, so it is asked only about texts that convert here).
void CheckFloat(const std::string& text) {
    long double value;
    if (!TryTextToFloat(text, value)) return;
    FUZZ_CHECK(std::isfinite(value));
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const std::size_t first = text.find_first_not_of(' ');
    const long double expected = strtold_l(text.c_str() + first, nullptr, c);
    // A result below the normal range may come out as zero.
    const bool tiny = std::fabs(expected) < LDBL_MIN;
    FUZZ_CHECK(value == expected || (tiny && value == 0.0L));
}

void CheckDate(const std::string& text) {
    double dayCount;
    try {
        dayCount = TextToDate(text, CurrentYear());
    } catch (const ConversionError&) {
        return;
    }
    FUZZ_CHECK(dayCount == std::trunc(dayCount));
    FUZZ_CHECK(dayCount >= DayNumber({1, 1, 1}) && dayCount <= DayNumber({9999, 12, 31}));
    FUZZ_CHECK(TextToDate(DateToText(dayCount), CurrentYear()) == dayCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const StoppedClock clock;
    SetClock(&clock);
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckInteger(text);
    CheckFloat(text);
    CheckDate(text);
    return 0;
}
