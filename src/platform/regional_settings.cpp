#include "platform/regional_settings.h"

namespace celestra {

void AdoptRegionalConventions() { SetTextConventions(ConventionsFromRegionalSettings()); }

}  // namespace celestra
