// The date field's shape, "dd/mm/yyyy": two day digits, the date separator,
// two month digits, the separator, four year digits. The field's mask, the
// check of a date text and the element line's perihelion date all take the
// positions from here.
#pragma once

#include <string>
#include <string_view>

namespace celestra {

// One group of digits, by 1-based column and width.
struct DateFieldPart {
    int firstColumn;
    int width;
};

inline constexpr int kDateFieldLength = 10;
inline constexpr DateFieldPart kDayPart{1, 2};
inline constexpr DateFieldPart kMonthPart{4, 2};
inline constexpr DateFieldPart kYearPart{7, 4};

// True for the 0-based positions that hold the separator.
constexpr bool IsDateSeparatorPosition(int position) {
    return position == kDayPart.width || position == kMonthPart.firstColumn - 1 + kMonthPart.width;
}

// The digits of one group of a text of the field's shape.
std::string DatePart(std::string_view dateText, DateFieldPart part);

// True when the text has the field's shape: ten characters, digits in every
// group, the same separator in both separator positions.
bool HasDateFieldShape(std::string_view text);

}  // namespace celestra
