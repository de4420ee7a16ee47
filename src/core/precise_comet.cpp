#include "core/precise_comet.h"

#include <cmath>

#include "astro/constants.h"
#include "astro/umath.h"
#include "core/element_line.h"
#include "core/observation_date.h"
#include "core/pseudo_comet_constants.h"
#include "text/dates.h"
#include "text/numbers.h"

namespace celestra {
namespace {

using namespace UMath;

// Tenths of a day's ten-thousandths: the perihelion date's resolution.
constexpr long long kDayFractionUnits = 10000;
// The absolute magnitude's floor: the four columns hold -9.9 at the least,
// and H is kept just above -9.95 so that it rounds to no less.
constexpr double kLowestAbsoluteMagnitude = -9.94;

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The catalogue direction in the J2000.0 ecliptic frame: the equatorial unit
// vector turned about the equinox by the obliquity of J2000.0.
void CatalogueDirection(double raRad, double decRad, double direction[3]) {
    const double obliquityRad = kObliquityJ2000Arcsec * kArcsecondsToRadians;
    const double x = std::cos(decRad) * std::cos(raRad);
    const double y = std::cos(decRad) * std::sin(raRad);
    const double z = std::sin(decRad);
    direction[0] = x;
    direction[1] = std::cos(obliquityRad) * y + std::sin(obliquityRad) * z;
    direction[2] = -std::sin(obliquityRad) * y + std::cos(obliquityRad) * z;
}

// The calendar moment of a day count, to the ten-thousandth of a day.
PerihelionTime PerihelionOfDayCount(double dayCount) {
    const long long units = std::llround(dayCount * kDayFractionUnits);
    long long day = units / kDayFractionUnits;
    long long fraction = units % kDayFractionUnits;
    if (fraction < 0) {  // before 1899-12-30: the day below, a positive fraction
        fraction += kDayFractionUnits;
        --day;
    }
    const CalendarDate date = DateOfDayNumber(day);
    return {date.year, date.month, date.day, static_cast<int>(fraction)};
}

}  // namespace

void EarthJ2000(double dayCount, double earthAu[3]) {
    const auto [sunLongitudeRad, sunDistanceAu] = SunPosition(dayCount);
    // The Sun's longitude on the equinox of J2000.0; the Earth opposite.
    const double longitudeRad = sunLongitudeRad - PrecessionInLongitude(dayCount);
    earthAu[0] = -sunDistanceAu * std::cos(longitudeRad);
    earthAu[1] = -sunDistanceAu * std::sin(longitudeRad);
    earthAu[2] = 0.0;
}

PreciseDate PreciseDateOf(std::string_view dateText) {
    PreciseDate date;
    date.dayCount = ReadObservationDate(dateText);
    EarthJ2000(date.dayCount, date.earthAu);
    return date;
}

std::string PreciseElementLine(const ObjectPlace& object, const PreciseDate& date) {
    double u[3];
    CatalogueDirection(object.raRad, object.decRad, u);

    // The point on the orbit (q from the Sun) that the Earth sees towards
    // the catalogue place: |E + rho u| = q, rho its distance from the Earth.
    const double q = kPseudoCometDistanceAu;
    const double* earth = date.earthAu;
    const double b = Dot(earth, u);
    const double distanceAu = -b + std::sqrt(b * b - Dot(earth, earth) + q * q);
    const double point[3] = {earth[0] + distanceAu * u[0], earth[1] + distanceAu * u[1], earth[2] + distanceAu * u[2]};

    // Its heliocentric direction: the perihelion. No pole region needs care
    // here: the latitude comes from the point itself.
    const double latitudeDeg = RadiansToDegrees(std::atan2(point[2], std::hypot(point[0], point[1])));
    const double longitudeDeg = RadiansToDegrees(std::atan2(point[1], point[0]));

    // Light from the point reaches the Earth at 0h: the body passes it that
    // much earlier.
    const double perihelionDayCount = date.dayCount - distanceAu / kLightAuPerDay;

    // Magnitude: H + 5 log(Delta) + 2.5 n log(r) is to be the catalogue
    // magnitude, with H and n in tenths. The largest slope that keeps H above
    // its floor, or the next one down: a tenth of slope moves H by 0.75 mag,
    // half a tenth, so one of the two leaves H within 0.025 of a tenth.
    const double distanceTerm = 5.0 * std::log10(distanceAu);
    const double slopeTerm = 2.5 * std::log10(q);
    const double highestSlopeTenths =
        std::floor((object.magnitude - distanceTerm - kLowestAbsoluteMagnitude) / slopeTerm * 10.0);
    double slope = 0, absoluteMagnitude = 0, leastRounding = INFINITY;
    for (const double slopeTenths : {highestSlopeTenths, highestSlopeTenths - 1}) {
        const double candidateSlope = slopeTenths / 10.0;
        const double candidateH = object.magnitude - distanceTerm - slopeTerm * candidateSlope;
        const double rounding = std::fabs(candidateH * 10.0 - std::round(candidateH * 10.0));
        if (rounding < leastRounding) {
            leastRounding = rounding;
            slope = candidateSlope;
            absoluteMagnitude = candidateH;
        }
    }

    return WriteElementLine({object.designation, PerihelionOfDayCount(perihelionDayCount), latitudeDeg, longitudeDeg,
                             FormatFloat("00.0;-0.0", absoluteMagnitude), slope});
}

}  // namespace celestra
