// The process-wide number and date conventions, written once at start-up
// and only read afterwards. No conversion of the system consults the C or
// C++ locale; these few fields are all that varies.
#pragma once

#include <string_view>

namespace celestra {

// The date separator where the regional settings tell none.
inline constexpr char kDefaultDateSeparator = '/';

struct TextConventions {
    // Written between the integer and fraction digits, and the only one text
    // to float accepts. Fixed at start-up in place of the regional setting.
    char decimalSeparator = '.';
    // Stands between day, month and year of "dd/mm/yyyy"; the one character
    // of the user's regional settings, "/" when there is none.
    char dateSeparator = kDefaultDateSeparator;
    // One- and two-digit years fall into the hundred years that start this
    // many years before the current one (years).
    int twoDigitYearWindow = 50;
};

// The conventions in force; the defaults until SetTextConventions is called.
const TextConventions& Conventions();

// Start-up (and tests): replaces the conventions in force.
void SetTextConventions(const TextConventions& conventions);

// The separator between the first two fields of a POSIX date format such as
// "%d.%m.%Y"; "/" when it is not exactly one byte. ("%D" is "%m/%d/%y" and
// "%F" is "%Y-%m-%d".)
char DateSeparatorOfFormat(std::string_view posixDateFormat);

}  // namespace celestra
