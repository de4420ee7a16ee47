// The precise pseudo-comet: elements that put the body, propagated as a
// two-body orbit in the J2000.0 ecliptic frame and seen from the Earth with
// light time, at the catalogue place (J2000.0 / ICRS) at 0h of the date, and
// predict its catalogue magnitude. The orbit lies so far out (99999.999 AU)
// that the Earth's motion moves the place by 0.02" at most in the 12 hours
// either side.
#pragma once

#include <string>
#include <string_view>

#include "core/element_line.h"
#include "core/object_line.h"

namespace celestra {

// What the precise elements need of the observation date.
struct PreciseDate {
    double dayCount = 0;            // 0h of the date
    double earthAu[3] = {0, 0, 0};  // heliocentric Earth, J2000.0 ecliptic and equinox (AU)
};

// Reads the date text as the classic computation does and places the Earth.
// Throws ConversionError "'<text>' is not a valid date".
PreciseDate PreciseDateOf(std::string_view dateText);

// The precise element line, by `writer` into `line`, of a place without
// motion: one with its own motion is placed on the date first
// (PseudoCometLines does).
void PreciseElementLine(const ObjectPlace& object, const PreciseDate& date, ElementLineWriter& writer,
                        std::string& line);

}  // namespace celestra
