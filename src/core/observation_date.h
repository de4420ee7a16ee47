// The observation date the program proposes.
#pragma once

#include <string>

namespace celestra {

// The local date as "dd/mm/yyyy", or the next day when the local time is
// past noon (an evening's observations belong to the night ahead). The clock
// is read once.
std::string DefaultObservationDate();

}  // namespace celestra
