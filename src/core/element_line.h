// The comet-elements line the program writes: the one table of its columns,
// and the one writer that both the classic and the precise computation feed.
//
//   columns  field                                 text
//   1-4      blanks
//   5-12     designation                           the object line's 1-8
//   15-29    perihelion date                       "yyyy mm dd.dddd"
//   30-39    perihelion distance q (AU)            "999.999999", " 99999.999"
//   42-49    eccentricity                          "0.000000"
//   52-59    argument of perihelion (degrees)      " 90.0000", "270.0000", any in [0, 360)
//   62-69    longitude of the ascending node       "000.0000"
//   73-79    inclination (degrees)                 "00.0000", [0, 90]
//   92-95    absolute magnitude H                  "-9.9"
//   97-100   slope                                 "00.0", "-0.0" below zero
//   103-     name                                  the designation, trimmed, or
//                                                  the whole name a key stands for
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace celestra {

struct ElementField {
    int firstColumn;    // 1-based
    int width;          // columns; 0 for the last field, which runs to the end
    bool rightAligned;  // numbers are; texts are left-aligned
};

inline constexpr ElementField kElementDesignation{5, 8, false};
inline constexpr ElementField kElementPerihelionDate{15, 15, false};
inline constexpr ElementField kElementPerihelionDistance{30, 10, true};
inline constexpr ElementField kElementEccentricity{42, 8, true};
inline constexpr ElementField kElementArgumentOfPerihelion{52, 8, true};
inline constexpr ElementField kElementNode{62, 8, true};
inline constexpr ElementField kElementInclination{73, 7, true};
inline constexpr ElementField kElementAbsoluteMagnitude{92, 4, true};
inline constexpr ElementField kElementSlope{97, 4, true};
inline constexpr ElementField kElementDesignationKey{103, 0, false};

// The field's text in a line, as it stands there.
std::string ElementFieldText(std::string_view line, const ElementField& field);

// The numbers of an element line, as a program that reads the comet file
// takes them. The program itself only writes lines; its checks and tools
// read them back through this.
struct ElementNumbers {
    int perihelionYear;
    int perihelionMonth;
    double perihelionDay;  // with its fraction: 15.0000 is 0h of the 15th
    double perihelionDistanceAu;
    double eccentricity;
    double argumentOfPerihelionDeg;
    double nodeDeg;
    double inclinationDeg;
    double absoluteMagnitude;
    double slope;
};

// Throws ConversionError for a field that does not read as a number.
ElementNumbers ReadElementLine(std::string_view line);

// How the orbit stands for a perihelion at a heliocentric ecliptic
// latitude and longitude (degrees): north of the ecliptic, or on it, the
// perihelion lies 90 degrees after the ascending node; south of it, 270
// degrees after (90 before). One decision gives both angles.
struct OrbitOrientation {
    double argumentOfPerihelionDeg;  // 90 or 270
    double nodeDeg;                  // within [0, 360]
    double inclinationDeg;           // the latitude's size, [0, 90]
};
OrbitOrientation OrientationOfPerihelion(double latitudeDeg, double longitudeDeg);

// The moment of perihelion as the line writes it, "yyyy mm dd.dddd".
struct PerihelionTime {
    int year;
    int month;
    int day;
    int dayTenThousandths;  // the fraction of the day, [0, 9999]

    bool operator==(const PerihelionTime&) const = default;
};

// What varies between element lines; e is the pseudo-comet's own. The
// texts are views, for the line written from them at once.
struct ElementValues {
    std::string_view designation;  // the object line's columns 1-8, unchanged
    PerihelionTime perihelion;
    std::string_view perihelionDistance;  // q (AU) as written: "999.999999", or "99999.999" from column 31
    OrbitOrientation orbit;
    std::string_view absoluteMagnitude;  // four characters
    double slope;
    // The whole name where the designation is a key made from it; the name
    // field then holds it instead of the trimmed designation.
    std::string_view name = {};
};

// Writes element lines: each field's text padded to its width and followed
// by the blanks up to the next field's column, in column order. A text
// longer than its field pushes the rest of the line along rather than being
// cut.
//
// A writer keeps its patterns prepared, and the texts of the values it wrote
// last: successive lines repeat the eccentricity, the perihelion of their
// date and, in the classic lines, one of two arguments of perihelion. A text
// kept under one decimal separator never serves another.
class ElementLineWriter {
public:
    ElementLineWriter();
    ~ElementLineWriter();
    ElementLineWriter(ElementLineWriter&&) noexcept;
    ElementLineWriter& operator=(ElementLineWriter&&) noexcept;

    // The line into `line`, whose room is reused.
    void Write(const ElementValues& values, std::string& line);

private:
    struct Patterns;
    std::unique_ptr<Patterns> patterns_;
};

}  // namespace celestra
