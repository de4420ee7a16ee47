// The pseudo-comet's fixed values, each with its meaning and unit.
#pragma once

namespace celestra {

// The orbit's radius, its perihelion distance q (AU); the orbit is a
// circle, eccentricity 0.
inline constexpr double kPseudoCometDistanceAu = 999.999999;
inline constexpr double kPseudoCometEccentricity = 0.0;

// The classic placement: the parallax angle k of the body as seen from the
// Sun (degrees), so that it stands 1 / sin k = 1000.0085 AU from the Earth.
inline constexpr double kPseudoCometParallaxDeg = 0.05729530205541;
// The classic magnitude law: H = -9.9 and the slope n = (m - offset) /
// divisor, with m the catalogue magnitude (magnitudes).
inline constexpr const char* kClassicAbsoluteMagnitude = "-9.9";
inline constexpr double kSlopeMagnitudeOffset = 5.1;
inline constexpr double kSlopeMagnitudeDivisor = 7.5;

}  // namespace celestra
