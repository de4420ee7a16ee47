#include "core/observation_date.h"

#include "text/dates.h"
#include "text/numbers.h"

namespace celestra {

std::string DefaultObservationDate() {
    double dayCount = CurrentDateTime();
    if (FractionalPart(dayCount) > 0.5L) dayCount += 1;
    return DateToText(dayCount);
}

}  // namespace celestra
