#include "text/conventions.h"

#include <string>

namespace celestra {
namespace {

TextConventions& ConventionsInForce() {
    static TextConventions conventions;
    return conventions;
}

}  // namespace

const TextConventions& Conventions() { return ConventionsInForce(); }

void SetTextConventions(const TextConventions& conventions) { ConventionsInForce() = conventions; }

char DateSeparatorOfFormat(std::string_view format) {
    if (format == "%D") return '/';
    if (format == "%F") return '-';
    // The text between the first conversion and the second.
    const auto first = format.find('%');
    if (first == std::string_view::npos || first + 2 > format.size()) return kDefaultDateSeparator;
    const auto between = first + 2;
    const auto second = format.find('%', between);
    if (second == std::string_view::npos || second != between + 1) return kDefaultDateSeparator;
    return format[between];
}

}  // namespace celestra
