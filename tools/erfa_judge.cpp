#include "erfa_judge.h"

#include <erfa.h>
#include <erfam.h>

#include <cmath>
#include <string>
#include <tuple>

#include "astro/constants.h"
#include "core/element_line.h"
#include "text/dates.h"

namespace celestra::judge {
Judgement JudgeLine(const std::string& line, double dayCount, double raRad, double decRad, double hoursFromMidnight,
                    bool iau2006Ecliptic) {
    // The elements as the astrometry program reads them.
    const ElementNumbers elements = ReadElementLine(line);
    const double perihelion =
        DayNumber({elements.perihelionYear, elements.perihelionMonth, 1}) - 1 + elements.perihelionDay;
    const double q = elements.perihelionDistanceAu;
    const double omega = elements.argumentOfPerihelionDeg * ERFA_DD2R;
    const double node = elements.nodeDeg * ERFA_DD2R;
    const double incl = elements.inclinationDeg * ERFA_DD2R;
    const double h = elements.absoluteMagnitude;
    const double slope = elements.slope;

    // The Earth, heliocentric, ICRS axes (AU), at the instant judged.
    const double instant = dayCount + hoursFromMidnight / 24.0;
    const double mjd = instant + 15018.0;  // days since 1858-11-17
    double pvh[2][3], pvb[2][3];
    eraEpv00(ERFA_DJM0, mjd, pvh, pvb);
    const double eps0 = iau2006Ecliptic ? eraObl06(ERFA_DJ00, 0.0) : eraObl80(ERFA_DJ00, 0.0);

    // Light time: the body where it stood when the light left it.
    // Gaussian gravitational constant (radians a day): circular motion.
    constexpr double kGauss = 0.01720209895;
    const double motion = kGauss / std::pow(q, 1.5);
    double geo[3] = {0, 0, 0};
    double emission = instant;
    for (int i = 0; i < 5; ++i) {
        const double u = omega + motion * (emission - perihelion);
        const double ecl[3] = {q * (std::cos(node) * std::cos(u) - std::sin(node) * std::sin(u) * std::cos(incl)),
                               q * (std::sin(node) * std::cos(u) + std::cos(node) * std::sin(u) * std::cos(incl)),
                               q * std::sin(u) * std::sin(incl)};
        // Ecliptic of J2000.0 to the equator.
        double body[3] = {ecl[0], std::cos(eps0) * ecl[1] - std::sin(eps0) * ecl[2],
                          std::sin(eps0) * ecl[1] + std::cos(eps0) * ecl[2]};
        eraPmp(body, pvh[0], geo);
        emission = instant - eraPm(geo) * ERFA_AULT / ERFA_DAYSEC;
    }
    double target[3];
    eraS2c(raRad, decRad, target);
    return {eraSepp(geo, target) * ERFA_DR2AS, h + 5 * std::log10(eraPm(geo)) + 2.5 * slope * std::log10(q)};
}

std::pair<double, double> TargetPlace(const ObjectPlace& object, double dayCount, double hoursFromMidnight) {
    if (!object.motion) return {object.raRad, object.decRad};
    const CatalogueMotion& motion = *object.motion;
    const double epoch = ERFA_DJ00 + (motion.epochJulianYear - 2000.0) * ERFA_DJY;
    const double instant = dayCount + hoursFromMidnight / 24.0;
    const double mjd = instant + 15018.0;  // days since 1858-11-17
    // ERFA's proper motion in right ascension is that of the angle itself.
    const double pmRa = motion.pmRaCosDecMasPerYear / 1000.0 * ERFA_DAS2R / std::cos(object.decRad);
    const double pmDec = motion.pmDecMasPerYear / 1000.0 * ERFA_DAS2R;
    double pvh[2][3], pvb[2][3], direction[3];
    eraEpv00(ERFA_DJM0, mjd, pvh, pvb);
    if (motion.parallaxMas <= 0) {
        // Of unknown distance: ERFA's proper motion alone, with no parallax
        // and no radial velocity. (eraPmsafe would lend the star a parallax
        // that keeps it at 1% of the speed of light, and its relativistic
        // treatment of that speed moves a fast star by 0.03" over a century.)
        eraPmpx(object.raRad, object.decRad, pmRa, pmDec, 0.0, 0.0, (ERFA_DJM0 + mjd - epoch) / ERFA_DJY, pvb[0],
                direction);
    } else {
        double ra = 0, dec = 0, pmRaThen = 0, pmDecThen = 0, parallaxThen = 0, radialVelocityThen = 0;
        eraPmsafe(object.raRad, object.decRad, pmRa, pmDec, motion.parallaxMas / 1000.0, motion.radialVelocityKmPerS,
                  epoch, 0.0, ERFA_DJM0, mjd, &ra, &dec, &pmRaThen, &pmDecThen, &parallaxThen, &radialVelocityThen);
        eraPmpx(ra, dec, pmRaThen, pmDecThen, parallaxThen, radialVelocityThen, 0.0, pvb[0], direction);
    }
    double raNow = 0, decNow = 0;
    eraC2s(direction, &raNow, &decNow);
    return {eraAnp(raNow), decNow};
}

std::pair<double, double> NearPole(bool celestial, int hemisphere, double offsetRad, double bearingRad) {
    const double obliquity = eraObl80(ERFA_DJ00, 0.0);
    const double latitude = hemisphere * (ERFA_DPI / 2 - offsetRad);
    double x = std::cos(latitude) * std::cos(bearingRad), y = std::cos(latitude) * std::sin(bearingRad),
           z = std::sin(latitude);
    if (!celestial) {  // ecliptic to equator
        const double yEquator = std::cos(obliquity) * y - std::sin(obliquity) * z;
        z = std::sin(obliquity) * y + std::cos(obliquity) * z;
        y = yEquator;
    }
    return {std::atan2(y, x), std::asin(z)};
}

std::vector<ObjectPlace> SkyTargets(std::mt19937& random, int randomCount,
                                    std::initializer_list<double> poleOffsetsArcmin) {
    constexpr double kArcminuteRad = astro::kDegreesToRadians / astro::kMinutesPerUnit;
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<ObjectPlace> targets;
    for (int i = 0; i < randomCount; ++i) {
        ObjectPlace object;
        object.raRad = astro::kTwoPi * unit(random);
        object.decRad = std::asin(2 * unit(random) - 1);
        targets.push_back(object);
    }
    for (const bool celestial : {false, true}) {
        for (const int hemisphere : {1, -1}) {
            for (const double arcminutes : poleOffsetsArcmin) {
                ObjectPlace object;
                std::tie(object.raRad, object.decRad) =
                    NearPole(celestial, hemisphere, arcminutes * kArcminuteRad, astro::kTwoPi * unit(random));
                targets.push_back(object);
            }
        }
    }
    return targets;
}

}  // namespace celestra::judge
