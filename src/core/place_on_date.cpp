#include "core/place_on_date.h"

#include "astro/constants.h"
#include "astro/space_motion.h"

namespace celestra {

ObjectPlace PlaceOnDate(const ObjectPlace& object, double dayCount, const double earthEclipticAu[3]) {
    using namespace astro;
    if (!object.motion) return object;
    const CatalogueMotion& motion = *object.motion;

    StarMotion star;
    star.raRad = object.raRad;
    star.decRad = object.decRad;
    star.pmRaCosDecRadPerYear = motion.pmRaCosDecMasPerYear * kMilliarcsecondsToRadians;
    star.pmDecRadPerYear = motion.pmDecMasPerYear * kMilliarcsecondsToRadians;
    // A parallax of zero or less is no distance.
    star.parallaxRad = motion.parallaxMas > 0 ? motion.parallaxMas * kMilliarcsecondsToRadians : 0;
    star.radialVelocityAuPerYear = motion.radialVelocityKmPerS * kKmPerSecondToAuPerYear;

    const double epochJulianDay = kJulianDayJ2000 + (motion.epochJulianYear - kJ2000JulianYear) * kDaysPerJulianYear;
    const double yearsSinceEpoch = (dayCount + kJulianDayOfDayCountZero - epochJulianDay) / kDaysPerJulianYear;

    double earth[3], direction[3];
    EclipticToEquatorJ2000(earthEclipticAu, earth);
    AstrometricDirection(star, yearsSinceEpoch, earth, direction);

    ObjectPlace placed = object;
    VectorToPlace(direction, placed.raRad, placed.decRad);
    placed.motion.reset();
    return placed;
}

}  // namespace celestra
