// The precise pseudo-comet: elements that put the body, propagated as a
// two-body orbit in the J2000.0 ecliptic frame and seen from the Earth with
// light time, at the catalogue place (J2000.0 / ICRS), or for a target with
// its own motion at its place on the date, at 0h of the date, and
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

// The precise element line of an object: of its place on the date, for a
// target with its own motion.
std::string PreciseElementLine(const ObjectPlace& object, const PreciseDate& date);
// The same by `writer` into `line`, whose room is reused: many lines.
void PreciseElementLine(const ObjectPlace& object, const PreciseDate& date, ElementLineWriter& writer,
                        std::string& line);

}  // namespace celestra
