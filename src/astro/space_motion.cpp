#include "astro/space_motion.h"

#include <cmath>

#include "astro/constants.h"

namespace celestra::astro {
namespace {

// Turns a vector about the x axis (the equinox) by +obliquity or -obliquity.
void TurnAboutEquinox(const double in[3], double sign, double out[3]) {
    const double obliquityRad = kObliquityJ2000Arcsec * kArcsecondsToRadians;
    const double c = std::cos(obliquityRad), s = sign * std::sin(obliquityRad);
    const double y = in[1], z = in[2];
    out[0] = in[0];
    out[1] = c * y + s * z;
    out[2] = -s * y + c * z;
}

void Normalize(const double v[3], double unit[3]) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int i = 0; i < 3; ++i) unit[i] = v[i] / length;
}

}  // namespace

void AstrometricDirection(const StarMotion& star, double yearsSinceEpoch, const double observerAu[3],
                          double direction[3]) {
    const double cosRa = std::cos(star.raRad), sinRa = std::sin(star.raRad);
    const double cosDec = std::cos(star.decRad), sinDec = std::sin(star.decRad);
    // The place and the unit vectors towards growing right ascension and
    // growing declination there.
    const double towardsStar[3] = {cosDec * cosRa, cosDec * sinRa, sinDec};
    const double east[3] = {-sinRa, cosRa, 0.0};
    const double north[3] = {-sinDec * cosRa, -sinDec * sinRa, cosDec};

    double moved[3];
    if (star.parallaxRad > 0) {
        // Position and velocity in AU and AU a year, then the observer's
        // offset at the instant.
        const double distanceAu = 1.0 / star.parallaxRad;
        for (int i = 0; i < 3; ++i) {
            const double velocity =
                distanceAu * (star.pmRaCosDecRadPerYear * east[i] + star.pmDecRadPerYear * north[i]) +
                star.radialVelocityAuPerYear * towardsStar[i];
            moved[i] = distanceAu * towardsStar[i] + velocity * yearsSinceEpoch - observerAu[i];
        }
    } else {
        // At an unknown, great distance: the proper motion alone, in units
        // of the distance.
        for (int i = 0; i < 3; ++i) {
            moved[i] = towardsStar[i] +
                       (star.pmRaCosDecRadPerYear * east[i] + star.pmDecRadPerYear * north[i]) * yearsSinceEpoch;
        }
    }
    Normalize(moved, direction);
}

void EquatorToEclipticJ2000(const double equatorial[3], double ecliptic[3]) {
    TurnAboutEquinox(equatorial, 1.0, ecliptic);
}

void EclipticToEquatorJ2000(const double ecliptic[3], double equatorial[3]) {
    TurnAboutEquinox(ecliptic, -1.0, equatorial);
}

void VectorToPlace(const double direction[3], double& raRad, double& decRad) {
    raRad = std::atan2(direction[1], direction[0]);
    if (raRad < 0) raRad += kTwoPi;
    decRad = std::atan2(direction[2], std::hypot(direction[0], direction[1]));
}

}  // namespace celestra::astro
