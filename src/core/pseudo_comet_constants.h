// The pseudo-comet's fixed values, each with its meaning and unit.
#pragma once

namespace celestra {

// The orbit's radius, its perihelion distance q (AU); the orbit is a
// circle, eccentricity 0.
inline constexpr double kPseudoCometDistanceAu = 999.999999;
inline constexpr const char* kPseudoCometDistanceFormat = "0.000000";
inline constexpr double kPseudoCometEccentricity = 0.0;

// The precise placement's radius (AU): as far as the nine columns 31-39
// write it. Seen from so far, the Earth's motion in the 12 hours either side
// of 0h moves the body's place by 0.02 arc seconds at most (2" at 1000 AU).
inline constexpr double kPreciseDistanceAu = 99999.999;
inline constexpr const char* kPreciseDistanceFormat = "0.000";

// The classic placement: the parallax angle k of the body as seen from the
// Sun (degrees), so that it stands 1 / sin k = 1000.0085 AU from the Earth.
inline constexpr double kPseudoCometParallaxDeg = 0.05729530205541;
// The classic magnitude law: H = -9.9 and the slope n = (m - offset) /
// divisor, with m the catalogue magnitude (magnitudes).
inline constexpr const char* kClassicAbsoluteMagnitude = "-9.9";
inline constexpr double kSlopeMagnitudeOffset = 5.1;
inline constexpr double kSlopeMagnitudeDivisor = 7.5;

// The magnitude law of comet-file readers: m = H + 5 log10(Delta) +
// 2.5 n log10(r), Delta and r in AU (magnitudes per tenfold distance; the
// second per unit of the slope n).
inline constexpr double kMagnitudePerTenfoldDistance = 5.0;
inline constexpr double kMagnitudePerTenfoldRadiusPerSlope = 2.5;
// H and n are written in tenths (tenths per magnitude, per unit of slope),
// two digits and a tenth, "-0.0" below zero.
inline constexpr double kTenthsPerUnit = 10.0;
inline constexpr const char* kTenthsFormat = "00.0;-0.0";

}  // namespace celestra
