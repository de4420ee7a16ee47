#include "text/dates.h"

#include <cmath>

#include "text/conventions.h"
#include "text/errors.h"
#include "text/fixed_texts.h"
#include "text/number_scan.h"

namespace celestra {
namespace {

constexpr char kBlank = ' ';
constexpr long long kMillisecondsPerDay = 86400000;
// Day number of 0001-01-01 is 1 - kDaysBeforeEpoch.
constexpr int kDaysBeforeEpoch = 693594;
// Day numbers read while the value so far is below this: a year has at most
// four significant digits.
constexpr int kNumberDigitLimit = 1000;
constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;

constexpr int kDaysIn400Years = 146097;
constexpr int kDaysIn100Years = 36524;
constexpr int kDaysIn4Years = 1461;
constexpr int kDaysInYear = 365;

struct DateNumber {
    int value = 0;
    int length = 0;  // digits taken, leading zeros included
};

// Scans a date text: blanks, then numbers and separators.
class DateScanner {
public:
    DateScanner(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool Number(DateNumber& number) {
        SkipBlanks();
        number = {};
        while (pos_ < text_.size() && number_text::IsDigit(text_[pos_]) && number.value < kNumberDigitLimit) {
            number.value = number.value * 10 + (text_[pos_] - '0');
            ++number.length;
            ++pos_;
        }
        return number.length > 0;
    }

    // Takes a separator when one comes next (after blanks).
    bool Separator() {
        const std::size_t start = pos_;
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == separator_) {
            ++pos_;
            return true;
        }
        pos_ = start;
        return false;
    }

    bool AtEndAfterBlanks() {
        SkipBlanks();
        return pos_ == text_.size();
    }

private:
    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == kBlank) ++pos_;
    }

    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
};

// A one- or two-digit year moves into the hundred years that begin
// `window` years before the current one.
int ExpandShortYear(int year, int currentYear, int window) {
    const int base = currentYear - window;
    year += base / 100 * 100;
    if (year < base) year += 100;
    return year;
}

bool IsValidDate(const CalendarDate& d) {
    return d.year >= kMinYear && d.year <= kMaxYear && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= DaysInMonth(d.year, d.month);
}

[[noreturn]] void ThrowNotDate(std::string_view text) { throw NotADateError(text); }

void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

}  // namespace

ConversionError NotADateError(std::string_view text) {
    return ConversionError("'" + std::string(text) + kNotADateAfter);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

int DayNumber(const CalendarDate& date) {
    int dayOfYear = date.day;
    for (int m = 1; m < date.month; ++m) dayOfYear += DaysInMonth(date.year, m);
    const int y = date.year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear - kDaysBeforeEpoch;
}

CalendarDate DateOfDayNumber(long long dayNumber) {
    // Days since 0001-01-01, split into 400-, 100-, 4- and 1-year cycles.
    long long n = dayNumber + kDaysBeforeEpoch - 1;
    long long cycles400 = n / kDaysIn400Years;
    n %= kDaysIn400Years;
    if (n < 0) {  // before year 1: keep the remainder in the cycle
        n += kDaysIn400Years;
        --cycles400;
    }
    long long cycles100 = n / kDaysIn100Years;
    if (cycles100 == 4) cycles100 = 3;  // the last day of a 400-year cycle
    n -= cycles100 * kDaysIn100Years;
    const long long cycles4 = n / kDaysIn4Years;
    n -= cycles4 * kDaysIn4Years;
    long long years = n / kDaysInYear;
    if (years == 4) years = 3;  // the last day of a leap cycle
    n -= years * kDaysInYear;

    CalendarDate date;
    date.year = static_cast<int>(cycles400 * 400 + cycles100 * 100 + cycles4 * 4 + years + 1);
    date.month = 1;
    while (n >= DaysInMonth(date.year, date.month)) {
        n -= DaysInMonth(date.year, date.month);
        ++date.month;
    }
    date.day = static_cast<int>(n) + 1;
    return date;
}

double TextToDate(std::string_view text, int currentYear) {
    const TextConventions& conventions = Conventions();
    DateScanner scan(text, conventions.dateSeparator);

    // Day and month always, then the year when a separator follows them.
    DateNumber day, month, year;
    if (!scan.Number(day) || !scan.Separator() || !scan.Number(month)) ThrowNotDate(text);
    CalendarDate date{0, month.value, day.value};
    if (scan.Separator()) {
        if (!scan.Number(year)) ThrowNotDate(text);
        scan.Separator();  // "21/03/2005/" is accepted
        date.year =
            year.length <= 2 ? ExpandShortYear(year.value, currentYear, conventions.twoDigitYearWindow) : year.value;
    } else {
        date.year = currentYear;
    }
    if (!scan.AtEndAfterBlanks() || !IsValidDate(date)) ThrowNotDate(text);
    return DayNumber(date);
}

std::string DateToText(double dayCount) {
    // Whole milliseconds, ties to even (the default rounding mode).
    const long double milliseconds = std::nearbyint(static_cast<long double>(dayCount) * kMillisecondsPerDay);
    const auto dayNumber = static_cast<long long>(milliseconds) / kMillisecondsPerDay;
    const CalendarDate date = DateOfDayNumber(dayNumber);
    const char separator = Conventions().dateSeparator;

    std::string text;
    AppendTwoDigits(text, date.day);
    text += separator;
    AppendTwoDigits(text, date.month);
    text += separator;
    std::string year = std::to_string(date.year);
    if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
    text += year;
    return text;
}

double DayCountOf(const CalendarDate& date, int hour, int minute, int second, int millisecond) {
    const double timeOfDayMs = hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond;
    return DayNumber(date) + timeOfDayMs / static_cast<double>(kMillisecondsPerDay);
}

}  // namespace celestra
