#include "text/conventions.h"

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace celestra {
namespace {

TextConventions& ConventionsInForce() {
    static TextConventions conventions;
    return conventions;
}

constexpr char kDefaultDateSeparator = '/';

}  // namespace

const TextConventions& Conventions() { return ConventionsInForce(); }

void SetTextConventions(const TextConventions& conventions) { ConventionsInForce() = conventions; }

char DateSeparatorOfFormat(std::string_view format) {
    if (format == "%D") return '/';
    if (format == "%F") return '-';
    // The text between the first conversion and the second.
    const auto first = format.find('%');
    if (first == std::string_view::npos || first + 2 > format.size()) return kDefaultDateSeparator;
    const auto between = first + 2;
    const auto second = format.find('%', between);
    if (second == std::string_view::npos || second != between + 1) return kDefaultDateSeparator;
    return format[between];
}

TextConventions ConventionsFromRegionalSettings() {
    TextConventions conventions;
#ifdef _WIN32
    char separator[8] = {};
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, sizeof separator);
    // The length counts the terminating NUL.
    conventions.dateSeparator = length == 2 ? separator[0] : kDefaultDateSeparator;
#else
    // A private locale object: the process locale is never touched.
    locale_t userTime = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (userTime == static_cast<locale_t>(nullptr)) {
        conventions.dateSeparator = kDefaultDateSeparator;
    } else {
        conventions.dateSeparator = DateSeparatorOfFormat(nl_langinfo_l(D_FMT, userTime));
        freelocale(userTime);
    }
#endif
    return conventions;
}

}  // namespace celestra
