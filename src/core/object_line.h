// The object list's line: the one table of its columns, read by the
// list's checks and by the conversion of its fields.
//
//   columns  field                       kind      a digit must stand in
//   1-8      designation                 text
//   11-12    right ascension, hours      integer   12
//   14-15    right ascension, minutes    integer
//   17-21    right ascension, seconds    decimal   18
//   24       declination's sign          "+"/"-"
//   25-26    declination, degrees        integer   26
//   28-29    declination, arc minutes    integer
//   31-34    declination, arc seconds    decimal   32
//   37-40    magnitude                   decimal
//
// After column 40, free text; in it, the target's own motion may be given
// as keyed values (see CatalogueMotion).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace celestra {

enum class ObjectFieldKind { kText, kInteger, kDecimal, kSign };

struct ObjectField {
    int firstColumn;  // 1-based
    int width;        // columns
    ObjectFieldKind kind;
    // The column that must hold a digit for the line to count as an object
    // line at all; 0 when none is tested in this field.
    int digitColumn;
};

inline constexpr ObjectField kDesignationField{1, 8, ObjectFieldKind::kText, 0};
inline constexpr ObjectField kRaHoursField{11, 2, ObjectFieldKind::kInteger, 12};
inline constexpr ObjectField kRaMinutesField{14, 2, ObjectFieldKind::kInteger, 0};
inline constexpr ObjectField kRaSecondsField{17, 5, ObjectFieldKind::kDecimal, 18};
inline constexpr ObjectField kDecSignField{24, 1, ObjectFieldKind::kSign, 0};
inline constexpr ObjectField kDecDegreesField{25, 2, ObjectFieldKind::kInteger, 26};
inline constexpr ObjectField kDecMinutesField{28, 2, ObjectFieldKind::kInteger, 0};
inline constexpr ObjectField kDecSecondsField{31, 4, ObjectFieldKind::kDecimal, 32};
inline constexpr ObjectField kMagnitudeField{37, 4, ObjectFieldKind::kDecimal, 0};

// Every field in column order, which is also the order the fields are
// checked and converted in.
inline constexpr ObjectField kObjectFields[] = {
    kDesignationField, kRaHoursField,    kRaMinutesField,  kRaSecondsField, kDecSignField,
    kDecDegreesField,  kDecMinutesField, kDecSecondsField, kMagnitudeField,
};

// The line's significant columns: shorter lines are no object lines.
inline constexpr std::size_t kObjectLineLength = 40;

// The field's text as the line holds it (shorter, or empty, where the line
// ends inside it): a view into `line`.
std::string_view FieldText(std::string_view line, const ObjectField& field);

// Puts `text` into the field's columns, blank-padded (a number to the right,
// the designation to the left) and cut to the field's width, lengthening the
// line with blanks where needed. For writing object lines
// (tests, examples, benchmarks); the program only reads them.
void PutField(std::string& line, const ObjectField& field, std::string_view text);

// How the object-list reader takes one line: skipped without a word (too
// short, or no digit in one of the tested columns), malformed (a numeric
// field does not read as a number, or the sign is missing) or accepted.
enum class ObjectLineKind { kSkipped, kMalformed, kAccepted };
ObjectLineKind ClassifyObjectLine(std::string_view line);

// The target's own motion, from keyed values in the free text after column
// 40: words (runs of characters other than blank and tab) that begin with
// one of the names below, lower case, and "=" with no blank between. Each
// name may stand once, in any order, among any other words; any other word
// is free text, as before. Words are separated by blanks, tabs and
// non-breaking spaces. For example, a Gaia DR3 place at epoch 2016.0:
//   pm=-801.551,10362.394 ep=2016.0 plx=546.976 rv=-110.6
// A keyed value that does not read, a name given twice, a value beyond its
// bounds, a unit after a value ("plx=5 mas") or a name that claims a value
// in another form ("pm =1,2", "pm:1,2") makes the line malformed.
inline constexpr std::string_view kProperMotionKey = "pm=";    // <ra * cos dec>,<dec> in mas a year
inline constexpr std::string_view kEpochKey = "ep=";           // Julian year, optionally after "J"
inline constexpr std::string_view kParallaxKey = "plx=";       // mas
inline constexpr std::string_view kRadialVelocityKey = "rv=";  // km/s, positive away

// The bounds of the keyed values, which a table's columns keep too: far
// beyond any star (the fastest moves 10.4" a year, the nearest shows 0.77"
// of parallax), near enough that a slip of the keyboard or a wrong column
// does not pass for a place.
inline constexpr double kMostProperMotionMasPerYear = 100000;
inline constexpr double kEarliestEpochJulianYear = 1000, kLatestEpochJulianYear = 3000;
inline constexpr double kMostParallaxMas = 10000;
inline constexpr double kMostRadialVelocityKmPerS = 10000;
// The epoch of a place that gives none.
inline constexpr double kDefaultEpochJulianYear = 2000.0;

struct CatalogueMotion {
    double pmRaCosDecMasPerYear = 0;                   // proper motion in right ascension, times cos dec
    double pmDecMasPerYear = 0;                        // proper motion in declination
    double epochJulianYear = kDefaultEpochJulianYear;  // the epoch of the place
    // Annual parallax; zero or less (as catalogues give for distant stars
    // within their errors) leaves the distance unknown.
    double parallaxMas = 0;
    double radialVelocityKmPerS = 0;  // counts only with a parallax
};

// The place and magnitude read from an object line's fields, and the
// target's motion when its line gives any keyed value.
struct ObjectPlace {
    std::string designation;  // columns 1-8, unchanged
    // The whole name, where the designation is a key made from it (a
    // table's long names); empty for an object line.
    std::string name;
    double raRad = 0;      // right ascension (radians)
    double decRad = 0;     // declination (radians)
    double magnitude = 0;  // catalogue magnitude
    std::optional<CatalogueMotion> motion;
};

// Reads the fields of an object line: integer fields as integers, decimal
// fields as decimal numbers, the sign applied to the whole declination; then
// its keyed values. Throws ConversionError with the text of the first field
// that fails, or "'<word>' is not a valid floating point value" for the
// first keyed value that does not read.
ObjectPlace ReadObjectPlace(std::string_view objectLine);

// An accepted line of the object list as the run keeps it, read once: its
// place or, for a line the checks let through whose integer field holds a
// point, the error reading it gave. The run raises that error when the
// line's turn comes to be appended, as reading it then would.
struct ListedObject {
    ObjectPlace place;      // the designation always; the numbers when read
    std::string readError;  // the ConversionError's text; empty when read
};

// ClassifyObjectLine and ReadObjectPlace in one reading of the fields: the
// verdict and, for an accepted line, its listing; for a malformed one,
// `refusal` (when given) says where and why, as "columnas 14-15: 'ab' no es
// un número".
ObjectLineKind ReadObjectLine(std::string_view line, ListedObject& listed, std::string* refusal = nullptr);

// The key by which comet lines and objects are matched, and which names a
// target in its element line: a designation's text (an object's columns
// 1-8, a comet line's 1-14), trimmed; a view into it.
std::string_view DesignationKey(std::string_view designationText);

}  // namespace celestra
