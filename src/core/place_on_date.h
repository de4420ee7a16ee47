// Where a target with its own motion stands on the observation date.
#pragma once

#include "core/object_line.h"

namespace celestra {

// Given a target, a day count (0h of the observation date, days since
// 1899-12-30, taken as TT) and the Earth's heliocentric position then (AU,
// J2000.0 ecliptic, as astro::EarthJ2000 gives it once for the date),
// returns it at its astrometric place for the Earth's centre then: its catalogue place carried by its motion from its
// epoch and, where its parallax is known, seen from the Earth instead of the
// Sun. The result has no motion left. A target without motion comes back as
// it is, to the bit.
ObjectPlace PlaceOnDate(const ObjectPlace& object, double dayCount, const double earthEclipticAu[3]);

}  // namespace celestra
