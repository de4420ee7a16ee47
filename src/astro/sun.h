// The Sun's place, the obliquity of the ecliptic, the precession in
// longitude and the Earth's heliocentric position, from a day count (days
// since 1899-12-30 0h). Pure functions of double precision; angles are
// radians unless a name says otherwise.
#pragma once

#include <utility>

namespace celestra::astro {

// Given a day count (days since 1899-12-30 0h), returns the obliquity of the
// ecliptic (radians).
double Obliquity(double dayCount);

// Given a day count (days since 1899-12-30 0h), returns the Sun's geometric
// ecliptic longitude within [0, 2 pi] (radians), then its distance from the
// Earth (AU).
std::pair<double, double> SunPosition(double dayCount);

// Given a day count (days since 1899-12-30 0h, taken as TT), returns the
// general precession in longitude since J2000.0 (radians): what turns a
// longitude of the mean equinox of date into one of the equinox of J2000.0.
double PrecessionInLongitude(double dayCount);

// Given a day count (days since 1899-12-30 0h, taken as TT), returns the
// Earth's heliocentric position (AU) in the J2000.0 ecliptic frame: the
// solar series' Sun, its longitude taken back to the equinox of J2000.0,
// seen from the other side.
void EarthJ2000(double dayCount, double earthAu[3]);

}  // namespace celestra::astro
