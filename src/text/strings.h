// Byte strings: the system's text is 8-bit bytes, never re-encoded, and
// compared byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace celestra {

// `count` bytes from the 1-based position `start`: a start below 1 counts as
// 1; a start beyond the end or a negative count gives the empty text; a
// count past the end is cut there. A view into `text`. Inline: every field
// of every line is cut by it.
inline std::string_view Substring(std::string_view text, long long start, long long count) {
    if (start < 1) start = 1;
    const auto size = static_cast<long long>(text.size());
    if (start > size || count <= 0) return {};
    const long long available = size - (start - 1);
    return text.substr(static_cast<std::size_t>(start - 1),
                       static_cast<std::size_t>(count < available ? count : available));
}

// The text without the bytes 0 to 32 at either end. A view into `text`.
// Inline: every comet line's key is cut by it.
inline std::string_view Trim(std::string_view text) {
    const auto trimmed = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && trimmed(text[first])) ++first;
    while (last > first && trimmed(text[last - 1])) --last;
    return text.substr(first, last - first);
}

}  // namespace celestra
