#include "core/pseudo_comet.h"

#include <cmath>

#include "astro/constants.h"
#include "astro/umath.h"
#include "text/dates.h"
#include "text/errors.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

using namespace UMath;

// The heliocentric ecliptic direction of the pseudo-comet (degrees).
struct HeliocentricDirection {
    double latitudeDeg = 0;   // beta'
    double longitudeDeg = 0;  // lambda', within (-360, 360]
};

// Given the object's ecliptic latitude and longitude (radians) and the
// date's Sun, returns the direction from the Sun of the point 1 / sin k AU
// from the Earth towards the object.
HeliocentricDirection DirectionFromSun(double latitudeRad, double longitudeRad, const DateGeometry& date) {
    const double sinK = std::sin(DegreesToRadians(kPseudoCometParallaxDeg));

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

double SixtiethsToUnits(int units, int minutes, double seconds) {
    return units + minutes / kMinutesPerUnit + seconds / kSecondsPerUnit;
}

}  // namespace

double NodeDeg(double latitudeDeg, double longitudeDeg) {
    double nodeDeg = latitudeDeg >= 0 ? longitudeDeg - 90.0 : longitudeDeg + 90.0;
    // Into range by at most two turns either way; 0 and 360 stay.
    if (nodeDeg < 0) nodeDeg += kDegreesPerTurn;
    if (nodeDeg < 0) nodeDeg += kDegreesPerTurn;
    if (nodeDeg > kDegreesPerTurn) nodeDeg -= kDegreesPerTurn;
    if (nodeDeg > kDegreesPerTurn) nodeDeg -= kDegreesPerTurn;
    return nodeDeg;
}

ObjectPlace ReadObjectPlace(std::string_view s) {
    ObjectPlace object;
    object.designation = Substring(s, 1, 8);

    // Right ascension: hours, minutes, seconds; no sign.
    const int raHours = TextToInt(Substring(s, 11, 2));
    const int raMinutes = TextToInt(Substring(s, 14, 2));
    const double raSeconds = static_cast<double>(TextToFloat(Substring(s, 17, 5)));
    object.raRad = DegreesToRadians(SixtiethsToUnits(raHours, raMinutes, raSeconds) * kDegreesPerHour);

    // Declination: the sign of column 24 applies to the whole sum.
    const int decDegrees = TextToInt(Substring(s, 25, 2));
    const int decMinutes = TextToInt(Substring(s, 28, 2));
    const double decSeconds = static_cast<double>(TextToFloat(Substring(s, 31, 4)));
    double decDeg = SixtiethsToUnits(decDegrees, decMinutes, decSeconds);
    if (Substring(s, 24, 1) == "-") decDeg = -decDeg;
    object.decRad = DegreesToRadians(decDeg);

    object.magnitude = static_cast<double>(TextToFloat(Substring(s, 37, 4)));
    return object;
}

namespace {

// The line copies day, month and year from the date text by position, so
// the text must have the date field's shape: "dd/mm/yyyy", digits and the
// two separators. Another text that reads as a date ("1/1/2006",
// "21/03/2005/") would put wrong characters in the date columns.
bool HasDateFieldShape(std::string_view dateText) {
    if (dateText.size() != 10) return false;
    for (std::size_t i = 0; i < dateText.size(); ++i) {
        const char c = dateText[i];
        const bool separatorPlace = i == 2 || i == 5;
        if (separatorPlace ? c != dateText[2] : (c < '0' || c > '9')) return false;
    }
    return true;
}

}  // namespace

double ReadObservationDate(std::string_view dateText) {
    const double dayCount = TextToDate(dateText);
    if (!HasDateFieldShape(dateText)) throw ConversionError("'" + std::string(dateText) + "' is not a valid date");
    return dayCount;
}

DateGeometry GeometryOfDate(std::string_view dateText) {
    const double dayCount = ReadObservationDate(dateText);
    const auto [sunLongitudeRad, sunDistanceAu] = SunPosition(dayCount);
    return {Obliquity(dayCount), sunLongitudeRad, sunDistanceAu};
}

std::string JoinElementLine(const ElementValues& values) {
    // Perihelion at the direction: north of the ecliptic 90 degrees after
    // the ascending node, south of it 270 degrees.
    const bool north = values.perihelionLatitudeDeg >= 0;
    std::string line;
    line.reserve(112);
    line += "    ";
    line += values.designation;
    line += "  ";
    line += values.perihelionDate;
    line += "999.999999  0.000000  ";
    line += north ? " 90.0000  " : "270.0000  ";
    line += FormatFloat("000.0000", NodeDeg(values.perihelionLatitudeDeg, values.perihelionLongitudeDeg));
    line += FormatFloat("   00.0000  ", std::fabs(values.perihelionLatitudeDeg));
    line += "          ";
    line += values.absoluteMagnitude;
    line += ' ';
    line += FormatFloat("00.0;-0.0", values.slope);
    line += "  ";
    line += Trim(values.designation);
    return line;
}

std::string ElementLine(const ObjectPlace& object, std::string_view dateText, const DateGeometry& date) {
    const auto [latitudeRad, longitudeRad] = EquatorialToEcliptic(date.obliquityRad, object.raRad, object.decRad);
    const HeliocentricDirection direction = DirectionFromSun(latitudeRad, longitudeRad, date);
    // Perihelion at 0h of the date, as the date text writes it.
    const std::string perihelionDate =
        Substring(dateText, 7, 4) + " " + Substring(dateText, 4, 2) + " " + Substring(dateText, 1, 2) + ".0000";
    return JoinElementLine({object.designation, perihelionDate, direction.latitudeDeg, direction.longitudeDeg, "-9.9",
                            (object.magnitude - kSlopeMagnitudeOffset) / kSlopeMagnitudeDivisor});
}

std::string BuildElementLine(std::string_view objectLine, std::string_view dateText) {
    const ObjectPlace object = ReadObjectPlace(objectLine);
    return ElementLine(object, dateText, GeometryOfDate(dateText));
}

}  // namespace celestra
