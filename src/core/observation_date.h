// The observation date the program proposes.
#pragma once

#include <string>
#include <string_view>

namespace celestra {

// The local date as "dd/mm/yyyy", or the next day when the local time is
// past noon (an evening's observations belong to the night ahead). The clock
// is read once.
std::string DefaultObservationDate();

// Reads the observation date for the element lines: the text must have the
// date field's shape, since the classic lines copy its digits by position.
// Returns the whole day count. Throws ConversionError "'<text>' is not a
// valid date".
double ReadObservationDate(std::string_view dateText);

}  // namespace celestra
