#include "text/strings.h"

namespace celestra {

bool TextEquals(std::string_view a, std::string_view b) { return a == b; }

}  // namespace celestra
