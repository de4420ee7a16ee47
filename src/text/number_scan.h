// What the number conversions share: blanks and decimal digits.
#pragma once

#include <cstddef>
#include <string_view>

namespace celestra::number_text {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The position of the first byte at or after `pos` that is not a blank.
inline std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    return pos;
}

}  // namespace celestra::number_text
