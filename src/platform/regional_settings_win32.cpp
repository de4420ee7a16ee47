#include <windows.h>

#include "platform/regional_settings.h"

namespace celestra {

TextConventions ConventionsFromRegionalSettings() {
    TextConventions conventions;
    wchar_t separator[8] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, 8);
    // The length counts the terminating NUL. Dates are typed and written
    // with a one-byte separator: a character outside ASCII keeps the default.
    if (length == 2 && separator[0] < 0x80) conventions.dateSeparator = static_cast<char>(separator[0]);
    return conventions;
}

}  // namespace celestra
