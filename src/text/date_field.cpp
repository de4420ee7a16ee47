#include "text/date_field.h"

#include "text/strings.h"

namespace celestra {

std::string DatePart(std::string_view dateText, DateFieldPart part) {
    return std::string(Substring(dateText, part.firstColumn, part.width));
}

bool HasDateFieldShape(std::string_view text) {
    if (text.size() != kDateFieldLength) return false;
    const char separator = text[static_cast<std::size_t>(kDayPart.width)];
    for (int position = 0; position < kDateFieldLength; ++position) {
        const char c = text[static_cast<std::size_t>(position)];
        if (IsDateSeparatorPosition(position) ? c != separator : (c < '0' || c > '9')) return false;
    }
    return true;
}

}  // namespace celestra
