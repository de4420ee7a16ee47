// The pseudo-comet of one object line: the comet-elements line of a body on
// a circular orbit about 1000 AU from the Sun that, at 0h of the observation
// date and seen from the Earth, stands at the object's catalogue place with
// its catalogue magnitude.
#pragma once

#include <string>
#include <string_view>

#include "core/element_line.h"
#include "core/object_line.h"

namespace celestra {

// What the classic elements need of the observation date.
struct ClassicDate {
    double dayCount = 0;      // 0h of the date
    double obliquityRad = 0;  // obliquity of the ecliptic
    double sinObliquity = 0;  // its sine and cosine, for every object of the date
    double cosObliquity = 1;
    double sunLongitudeRad = 0;   // Sun's geometric longitude, [0, 2 pi]
    double sunDistanceAu = 0;     // Sun's distance from the Earth
    PerihelionTime perihelion{};  // 0h of the date, as the date text writes it
    std::string distanceText;     // q as the lines write it, in the conventions of the run
    // Heliocentric Earth, J2000.0 ecliptic and equinox (AU): where targets
    // with their own motion are seen from.
    double earthAu[3] = {0, 0, 0};
};

// Reads the date text ("dd/mm/yyyy", exactly as the date field holds it)
// and computes the Sun and the obliquity for 0h of that day. Throws
// ConversionError "'<text>' is not a valid date".
ClassicDate ClassicDateOf(std::string_view dateText);

// The classic element line, by `writer` into `line`, of a place without
// motion: one with its own motion is placed on the date first
// (PseudoCometLines does).
void ClassicElementLine(const ObjectPlace& object, const ClassicDate& date, ElementLineWriter& writer,
                        std::string& line);

}  // namespace celestra
