#include "core/observation_date.h"

#include "platform/clock.h"
#include "text/date_field.h"
#include "text/dates.h"
#include "text/numbers.h"

namespace celestra {

std::string DefaultObservationDate() {
    double dayCount = CurrentDateTime();
    if (FractionalPart(dayCount) > 0.5L) dayCount += 1;
    return DateToText(dayCount);
}

double ReadObservationDate(std::string_view dateText) {
    const double dayCount = TextToDate(dateText, CurrentYear());
    // Another text that reads as a date ("1/1/2006", "21/03/2005/") would put
    // wrong characters in the date columns.
    if (!HasDateFieldShape(dateText)) throw NotADateError(dateText);
    return dayCount;
}

}  // namespace celestra
