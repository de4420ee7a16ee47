// The element lines of one run: the observation date read once, in the
// computation the run was asked for, and every target placed on the date
// before its elements are computed, so that one with its own motion stands
// where it is that night. Both computations then work on a place without
// motion.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/element_line.h"
#include "core/object_line.h"
#include "core/precise_comet.h"
#include "core/pseudo_comet.h"

namespace celestra {

enum class Computation {
    kClassic,  // the ecliptic of the date, about 1000 AU out
    kPrecise,  // the J2000.0 ecliptic, light time, 99999.999 AU out
};

class PseudoCometLines {
public:
    // Reads the date text ("dd/mm/yyyy", exactly as the date field holds
    // it). Throws ConversionError "'<text>' is not a valid date".
    PseudoCometLines(std::string_view dateText, Computation computation);

    // The element line of `object`, valid until the next call.
    const std::string& LineOf(const ObjectPlace& object);

private:
    std::optional<ClassicDate> classicDate_;
    std::optional<PreciseDate> preciseDate_;
    ElementLineWriter writer_;  // keeps the texts of one line for the next
    std::string line_;          // one room for every line
};

}  // namespace celestra
