#include "astro/sun.h"

#include <cmath>

#include "astro/angles.h"
#include "astro/constants.h"

namespace celestra::astro {
namespace {

// Julian centuries since 1900 January 0.5 of a day count.
double CenturiesSince1900(double dayCount) {
    const double julianDay = dayCount + kJulianDayOfDayCountZero;
    return (julianDay - kSeriesEpochJulianDay) / kDaysPerJulianCentury;
}

}  // namespace

double Obliquity(double dayCount) {
    const double t = CenturiesSince1900(dayCount);

    // Mean obliquity of the ecliptic (degrees).
    const double obliquityDeg = 23.452294 - 0.0130125 * t - 0.00000164 * t * t + 0.000000503 * t * t * t;

    return DegreesToRadians(obliquityDeg);
}

std::pair<double, double> SunPosition(double dayCount) {
    const double t = CenturiesSince1900(dayCount);

    // Sun's mean longitude (degrees), less one turn, then whole turns until
    // below one turn: dates up to 1900 March 22 come out negative here.
    double meanLongitudeDeg = 279.69668 + 36000.76892 * t + 0.0003025 * t * t;
    meanLongitudeDeg -= kDegreesPerTurn;
    while (meanLongitudeDeg >= kDegreesPerTurn) meanLongitudeDeg -= kDegreesPerTurn;
    double longitudeRad = DegreesToRadians(meanLongitudeDeg);

    // Sun's mean anomaly (radians, not reduced).
    const double meanAnomalyRad =
        DegreesToRadians(358.47583 + 35999.04975 * t - 0.000150 * t * t - 0.0000033 * t * t * t);

    // Eccentricity of the Earth's orbit.
    const double eccentricity = 0.01675104 - 0.0000418 * t - 0.000000126 * t * t;

    // Equation of the centre (radians).
    const double centreRad = DegreesToRadians((1.919460 - 0.004789 * t - 0.000014 * t * t) * std::sin(meanAnomalyRad) +
                                              (0.020094 - 0.000100 * t) * std::sin(2.0 * meanAnomalyRad) +
                                              0.000293 * std::sin(3.0 * meanAnomalyRad));

    // True longitude.
    longitudeRad = longitudeRad + centreRad;

    // Radius vector of the unperturbed orbit (AU).
    const double radiusAu = kEarthOrbitSemiMajorAxisAu * (1.0 - eccentricity * eccentricity) /
                            (1.0 + eccentricity * std::cos(meanAnomalyRad + centreRad));

    // Perturbations by Venus (A, B), Jupiter (Cp), the Moon (Dp), the long
    // period term (E) and Venus again (Hp): arguments in radians.
    const double aRad = DegreesToRadians(153.23 + 22518.7541 * t);
    const double bRad = DegreesToRadians(216.57 + 45037.5082 * t);
    const double cpRad = DegreesToRadians(312.69 + 32964.3577 * t);
    const double dpRad = DegreesToRadians(350.74 + 445267.1142 * t - 0.00144 * t * t);
    const double eRad = DegreesToRadians(231.19 + 20.20 * t);
    const double hpRad = DegreesToRadians(353.40 + 65928.7155 * t);

    // Perturbation in longitude (radians) and in distance (AU).
    const double longitudeTermRad =
        DegreesToRadians(0.00134) * std::cos(aRad) + DegreesToRadians(0.00154) * std::cos(bRad) +
        DegreesToRadians(0.00200) * std::cos(cpRad) + DegreesToRadians(0.00179) * std::sin(dpRad) +
        DegreesToRadians(0.00178) * std::sin(eRad);
    const double distanceTermAu = 0.00000543 * std::sin(aRad) + 0.00001575 * std::sin(bRad) +
                                  0.00001627 * std::sin(cpRad) + 0.00003076 * std::cos(dpRad) +
                                  0.00000927 * std::sin(hpRad);

    // Geometric longitude within one turn, and the distance.
    longitudeRad = NormalizeAngle(longitudeRad + longitudeTermRad);
    const double distanceAu = radiusAu + distanceTermAu;

    return {longitudeRad, distanceAu};
}

double PrecessionInLongitude(double dayCount) {
    // Julian centuries since J2000.0.
    const double t = (dayCount + kJulianDayOfDayCountZero - kJulianDayJ2000) / kDaysPerJulianCentury;

    // General precession in longitude (arc seconds), IAU 2006.
    const double precessionArcsec = kPrecessionArcsecPerCentury * t + kPrecessionArcsecPerCentury2 * t * t;

    return precessionArcsec * kArcsecondsToRadians;
}

void EarthJ2000(double dayCount, double earthAu[3]) {
    const auto [sunLongitudeRad, sunDistanceAu] = SunPosition(dayCount);
    // The Sun's longitude on the equinox of J2000.0; the Earth opposite.
    const double longitudeRad = sunLongitudeRad - PrecessionInLongitude(dayCount);
    earthAu[0] = -sunDistanceAu * std::cos(longitudeRad);
    earthAu[1] = -sunDistanceAu * std::sin(longitudeRad);
    earthAu[2] = 0.0;
}

}  // namespace celestra::astro
