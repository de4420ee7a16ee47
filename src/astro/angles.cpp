#include "astro/angles.h"

#include <cmath>

#include "astro/constants.h"

namespace celestra::astro {

double DegreesToRadians(double angleDeg) { return angleDeg * kDegreesToRadians; }

double RadiansToDegrees(double angleRad) { return angleRad * kRadiansToDegrees; }

double NormalizeAngle(double angleRad) {
    // Whole turns off, one at a time, then whole turns on.
    while (angleRad > kTwoPi) angleRad -= kTwoPi;
    while (angleRad < 0.0) angleRad += kTwoPi;
    return angleRad;
}

double ArcSine(double sine) {
    // The poles exactly, and sines pushed past them by rounding.
    if (sine >= 1.0) return kHalfPi;
    if (sine <= -1.0) return -kHalfPi;
    return std::atan2(sine / std::sqrt(1.0 - sine * sine), 1.0);
}

double Tangent(double angleRad) { return std::sin(angleRad) / std::cos(angleRad); }

std::pair<double, double> EquatorialToEcliptic(double obliquityRad, double raRad, double decRad) {
    return EquatorialToEcliptic(std::sin(obliquityRad), std::cos(obliquityRad), raRad, decRad);
}

std::pair<double, double> EquatorialToEcliptic(double sinEps, double cosEps, double raRad, double decRad) {
    const double sinRa = std::sin(raRad);

    // Ecliptic latitude from the sine of its rotation about the equinox.
    const double latitudeRad = ArcSine(std::sin(decRad) * cosEps - std::cos(decRad) * sinEps * sinRa);

    // Ecliptic longitude, left within (-pi, pi].
    const double longitudeRad = std::atan2(Tangent(decRad) * sinEps + sinRa * cosEps, std::cos(raRad));

    return {latitudeRad, longitudeRad};
}

}  // namespace celestra::astro
