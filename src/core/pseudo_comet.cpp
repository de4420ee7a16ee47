#include "core/pseudo_comet.h"

#include <cmath>

#include "astro/angles.h"
#include "astro/sun.h"
#include "core/element_line.h"
#include "core/observation_date.h"
#include "core/pseudo_comet_constants.h"
#include "text/date_field.h"
#include "text/dates.h"
#include "text/numbers.h"

namespace celestra {
namespace {

using namespace astro;

// The heliocentric ecliptic direction of the pseudo-comet (degrees).
struct HeliocentricDirection {
    double latitudeDeg = 0;   // beta'
    double longitudeDeg = 0;  // lambda', within (-360, 360]
};

// Given the object's ecliptic latitude and longitude (radians) and the
// date's Sun, returns the direction from the Sun of the point 1 / sin k AU
// from the Earth towards the object.
HeliocentricDirection DirectionFromSun(double latitudeRad, double longitudeRad, const ClassicDate& date) {
    static const double sinK = std::sin(DegreesToRadians(kPseudoCometParallaxDeg));

    // Sun's longitude from the object's: the Earth stands R AU away
    // towards L + pi.
    const double hRad = date.sunLongitudeRad - longitudeRad;

    // The point in a frame turned to the object's longitude, in units of its
    // distance from the Earth: x towards the object, y along the ecliptic.
    const double x = std::cos(latitudeRad) - date.sunDistanceAu * sinK * std::cos(hRad);
    const double y = -date.sunDistanceAu * sinK * std::sin(hRad);

    // Longitude shift from the Earth's view to the Sun's.
    const double shiftRad = std::atan2(y, x);

    // Heliocentric latitude. With x > 0 the classic form; at or near an
    // ecliptic pole, on the Sun's side, x is 0 or negative and the classic
    // form would flip the point to the opposite pole, so the latitude is
    // taken from its sine and the point's distance from the ecliptic axis.
    const double latitudeHelioRad = x > 0 ? std::atan2(std::sin(latitudeRad) * std::cos(shiftRad), x)
                                          : std::atan2(std::sin(latitudeRad), std::sqrt(x * x + y * y));

    return {RadiansToDegrees(latitudeHelioRad), RadiansToDegrees(longitudeRad + shiftRad)};
}

}  // namespace

ClassicDate ClassicDateOf(std::string_view dateText) {
    const double dayCount = ReadObservationDate(dateText);
    const auto [sunLongitudeRad, sunDistanceAu] = SunPosition(dayCount);
    // Perihelion at 0h of the date, as the date text writes it.
    const PerihelionTime perihelion{TextToInt(DatePart(dateText, kYearPart)), TextToInt(DatePart(dateText, kMonthPart)),
                                    TextToInt(DatePart(dateText, kDayPart)), 0};
    const double obliquityRad = Obliquity(dayCount);
    ClassicDate date{dayCount,
                     obliquityRad,
                     std::sin(obliquityRad),
                     std::cos(obliquityRad),
                     sunLongitudeRad,
                     sunDistanceAu,
                     perihelion,
                     FormatFloat(kPseudoCometDistanceFormat, kPseudoCometDistanceAu)};
    EarthJ2000(dayCount, date.earthAu);
    return date;
}

void ClassicElementLine(const ObjectPlace& object, const ClassicDate& date, ElementLineWriter& writer,
                        std::string& line) {
    const auto [latitudeRad, longitudeRad] =
        EquatorialToEcliptic(date.sinObliquity, date.cosObliquity, object.raRad, object.decRad);
    const HeliocentricDirection direction = DirectionFromSun(latitudeRad, longitudeRad, date);
    writer.Write({object.designation, date.perihelion, date.distanceText,
                  OrientationOfPerihelion(direction.latitudeDeg, direction.longitudeDeg), kClassicAbsoluteMagnitude,
                  (object.magnitude - kSlopeMagnitudeOffset) / kSlopeMagnitudeDivisor, object.name},
                 line);
}

}  // namespace celestra
