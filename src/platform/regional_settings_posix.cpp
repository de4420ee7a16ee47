#include <langinfo.h>
#include <locale.h>

#include "platform/regional_settings.h"

namespace celestra {

TextConventions ConventionsFromRegionalSettings() {
    TextConventions conventions;
    // A private locale object: the process locale is never touched.
    locale_t userTime = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (userTime != static_cast<locale_t>(nullptr)) {
        conventions.dateSeparator = DateSeparatorOfFormat(nl_langinfo_l(D_FMT, userTime));
        freelocale(userTime);
    }
    return conventions;
}

}  // namespace celestra
