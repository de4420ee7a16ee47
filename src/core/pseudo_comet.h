// The pseudo-comet of one object line: the comet-elements line of a body on
// a circular orbit about 1000 AU from the Sun that, at 0h of the observation
// date and seen from the Earth, stands at the object's catalogue place with
// its catalogue magnitude.
#pragma once

#include <string>
#include <string_view>

namespace celestra {

// The place and magnitude read from an object line's fields.
struct ObjectPlace {
    std::string designation;  // columns 1-8, unchanged
    double raRad = 0;         // right ascension (radians)
    double decRad = 0;        // declination (radians)
    double magnitude = 0;     // catalogue magnitude
};

// Reads the fields of an object line: hours, minutes, degrees and arc
// minutes as integers, the seconds and the magnitude as decimal numbers.
// Throws ConversionError with the text of the first field that fails.
ObjectPlace ReadObjectPlace(std::string_view objectLine);

// What the elements need of the observation date.
struct DateGeometry {
    double obliquityRad = 0;     // obliquity of the ecliptic
    double sunLongitudeRad = 0;  // Sun's geometric longitude, [0, 2 pi]
    double sunDistanceAu = 0;    // Sun's distance from the Earth
};

// Reads the date text ("dd/mm/yyyy", exactly as the date field holds it)
// and computes the Sun and the obliquity for 0h of that day. Throws
// ConversionError "'<text>' is not a valid date".
DateGeometry GeometryOfDate(std::string_view dateText);

// The longitude of the ascending node (degrees, within [0, 360]) of a
// circular orbit whose perihelion lies at the given heliocentric latitude
// and longitude (degrees): 90 degrees after the node when the latitude is
// zero or north, 90 degrees before it when south.
double NodeDeg(double latitudeDeg, double longitudeDeg);

// Reads the observation date: the text must have the date field's shape,
// "dd/mm/yyyy", since lines copy its characters by position. Returns the
// whole day count. Throws ConversionError "'<text>' is not a valid date".
double ReadObservationDate(std::string_view dateText);

// What varies between element lines; the rest of the line is fixed.
struct ElementValues {
    std::string designation;        // columns 1-8 of the object line, unchanged
    std::string perihelionDate;     // "yyyy mm dd.dddd"
    double perihelionLatitudeDeg;   // heliocentric, ecliptic
    double perihelionLongitudeDeg;  // heliocentric, ecliptic, within (-360, 360]
    std::string absoluteMagnitude;  // four characters
    double slope;
};

// The seventeen pieces of the line: designation, perihelion date,
// q = 999.999999, e = 0, omega 90 (north) or 270, the node, the inclination,
// H, the slope and the designation key from column 103.
std::string JoinElementLine(const ElementValues& values);

// The element line of an object for the date text and its geometry.
std::string ElementLine(const ObjectPlace& object, std::string_view dateText, const DateGeometry& date);

// The element line of one object line for one date text, errors in the
// order fields first, then the date.
std::string BuildElementLine(std::string_view objectLine, std::string_view dateText);

}  // namespace celestra
