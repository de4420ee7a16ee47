// Angles and the turn of coordinates between the equator and the ecliptic:
// pure functions of double precision; angles are radians unless a name
// says otherwise.
#pragma once

#include <utility>

namespace celestra::astro {

// Given an angle (degrees), returns it in radians.
double DegreesToRadians(double angleDeg);

// Given an angle (radians), returns it in degrees.
double RadiansToDegrees(double angleRad);

// Given an angle (radians), returns it reduced into [0, 2 pi] by whole turns,
// one turn per step; 0 and 2 pi come back unchanged.
double NormalizeAngle(double angleRad);

// Given a sine, returns its angle within [-pi/2, pi/2] (radians). A sine
// beyond +-1, which only rounding can produce, is taken as +-1.
double ArcSine(double sine);

// Given an angle (radians), returns sin / cos.
double Tangent(double angleRad);

// Given the obliquity of the ecliptic, a right ascension and a declination
// (radians), returns the ecliptic latitude within [-pi/2, pi/2], then the
// ecliptic longitude within (-pi, pi] (radians).
std::pair<double, double> EquatorialToEcliptic(double obliquityRad, double raRad, double decRad);

// The same with the obliquity given by its sine and cosine, for many
// conversions on one date; the results are the same to the last bit.
std::pair<double, double> EquatorialToEcliptic(double sinObliquity, double cosObliquity, double raRad, double decRad);

}  // namespace celestra::astro
