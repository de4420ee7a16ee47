#include <windows.h>

#include "platform/regional_settings.h"

namespace celestra {

TextConventions ConventionsFromRegionalSettings() {
    TextConventions conventions;
    char separator[8] = {};
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, sizeof separator);
    // The length counts the terminating NUL.
    if (length == 2) conventions.dateSeparator = separator[0];
    return conventions;
}

}  // namespace celestra
