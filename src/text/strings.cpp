#include "text/strings.h"

namespace celestra {}  // namespace celestra
