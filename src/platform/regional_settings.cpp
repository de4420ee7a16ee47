#include "platform/regional_settings.h"

#include "platform/interrupt_cleanup.h"

namespace celestra {

void StartUp() {
    SetTextConventions(ConventionsFromRegionalSettings());
    RemoveTemporaryFileOnInterrupt();
}

}  // namespace celestra
