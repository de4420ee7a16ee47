// Constants of the astronomical routines, each with its meaning and unit.
#pragma once

namespace celestra::astro {

// 2 pi: one turn (radians).
inline constexpr double kTwoPi = 6.283185307179586477;
// pi / 2: a quarter turn (radians).
inline constexpr double kHalfPi = 1.5707963267948966193;
// Degrees to radians (radians per degree).
inline constexpr double kDegreesToRadians = 0.017453292519943295769;
// Radians to degrees (degrees per radian).
inline constexpr double kRadiansToDegrees = 57.295779513082320877;

// Julian Day of the day count's origin, 1899-12-30 00:00 (days).
inline constexpr double kJulianDayOfDayCountZero = 2415018.5;
// Julian Day of the epoch of the solar series, 1900 January 0.5 (days).
inline constexpr double kSeriesEpochJulianDay = 2415020.0;
// Days per Julian century.
inline constexpr double kDaysPerJulianCentury = 36525.0;
// The semi-major axis of the Earth's orbit in the solar series (AU).
inline constexpr double kEarthOrbitSemiMajorAxisAu = 1.0000002;

// One turn (degrees).
inline constexpr double kDegreesPerTurn = 360.0;
// A right angle: the pole's declination (degrees).
inline constexpr double kDegreesPerRightAngle = 90.0;

// Hours of right ascension to degrees (degrees per hour).
inline constexpr double kDegreesPerHour = 15.0;
// Minutes per unit, seconds per unit (of hours or degrees).
inline constexpr double kMinutesPerUnit = 60.0;
inline constexpr double kSecondsPerUnit = 3600.0;

// ---- Precise placement -------------------------------------------------------

// Arc seconds to radians (radians per arc second).
inline constexpr double kArcsecondsToRadians = 4.848136811095359935899141e-6;
// Mean obliquity of the ecliptic at J2000.0 (arc seconds) of the frame the
// precise lines are written in: 84381.448 (IAU 1976), the "IAU76/J2000"
// ecliptic of the osculating elements JPL publishes, of SPICE's ECLIPJ2000
// and of Meeus, which readers of comet files assume. The IAU 2006 value,
// 84381.406, would put a target up to 0.07" off in those readers.
inline constexpr double kObliquityJ2000Arcsec = 84381.448;
// General precession in longitude since J2000.0: p = p1 T + p2 T^2 arc
// seconds, T in Julian centuries from J2000.0 (IAU 2006, Capitaine et al.
// 2003).
inline constexpr double kPrecessionArcsecPerCentury = 5028.796195;
inline constexpr double kPrecessionArcsecPerCentury2 = 1.1054348;
// Julian Day of the epoch J2000.0 (days).
inline constexpr double kJulianDayJ2000 = 2451545.0;
// Speed of light (AU per day): 299792458 m/s x 86400 s / 149597870700 m
// (the IAU 2012 astronomical unit).
inline constexpr double kLightAuPerDay = 173.1446326846693;
// The Gaussian gravitational constant k (radians per day): a body on a
// circle of radius a AU about the Sun moves k / a^1.5 radians a day.
inline constexpr double kGaussianGravitation = 0.01720209895;

// ---- A star's own motion -------------------------------------------------------

// Milliarcseconds to radians (radians per milliarcsecond).
inline constexpr double kMilliarcsecondsToRadians = 4.848136811095359935899141e-9;
// Days per Julian year, the unit of epochs and proper motions.
inline constexpr double kDaysPerJulianYear = 365.25;
// Kilometres a second to AU a Julian year: 86400 s x 365.25 / 149597870.7 km.
inline constexpr double kKmPerSecondToAuPerYear = 86400.0 * 365.25 / 149597870.7;
// The Julian year of the epoch J2000.0.
inline constexpr double kJ2000JulianYear = 2000.0;

}  // namespace celestra::astro
