#include "core/object_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

#include "astro/constants.h"
#include "astro/umath.h"
#include "text/catalogue.h"
#include "text/errors.h"
#include "text/number_scan.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

using namespace UMath;

bool IsDigitAt(std::string_view line, int column) {
    return number_text::IsDigit(line[static_cast<std::size_t>(column - 1)]);
}

// Lines that do not look like object lines at all are skipped silently.
bool LooksLikeObjectLine(std::string_view line) {
    if (line.size() < kObjectLineLength) return false;
    for (const ObjectField& field : kObjectFields) {
        if (field.digitColumn != 0 && !IsDigitAt(line, field.digitColumn)) return false;
    }
    return true;
}

bool IsNumeric(const ObjectField& field) {
    return field.kind == ObjectFieldKind::kInteger || field.kind == ObjectFieldKind::kDecimal;
}

// An integer field as TextToInt reads it, a decimal one as TextToFloat does.
double ReadNumberOf(std::string_view line, const ObjectField& field) {
    const std::string_view text = FieldText(line, field);
    if (field.kind == ObjectFieldKind::kInteger) return TextToInt(text);
    return static_cast<double>(TextToFloat(text));
}

double SixtiethsToUnits(double units, double minutes, double seconds) {
    return units + minutes / kMinutesPerUnit + seconds / kSecondsPerUnit;
}

// The bounds of the keyed values: far beyond any star (the fastest moves
// 10.4" a year, the nearest shows 0.77" of parallax), near enough that a
// slip of the keyboard does not pass for a place.
constexpr double kMostProperMotionMasPerYear = 100000;
constexpr double kEarliestEpochJulianYear = 1000, kLatestEpochJulianYear = 3000;
constexpr double kMostParallaxMas = 10000;
constexpr double kMostRadialVelocityKmPerS = 10000;

bool ReadKeyedNumber(std::string_view text, double least, double most, double& value) {
    long double read = 0;
    if (text.empty() || !TryTextToFloat(text, read)) return false;
    value = static_cast<double>(read);
    return std::isfinite(value) && value >= least && value <= most;
}

bool IsWordSeparator(char c) { return c == ' ' || c == '\t'; }

// One keyed value into `motion`; false when it does not read.
bool ReadKeyedValue(std::string_view key, std::string_view value, CatalogueMotion& motion) {
    if (key == kProperMotionKey) {
        const std::size_t comma = value.find(',');
        return comma != std::string_view::npos &&
               ReadKeyedNumber(value.substr(0, comma), -kMostProperMotionMasPerYear, kMostProperMotionMasPerYear,
                               motion.pmRaCosDecMasPerYear) &&
               ReadKeyedNumber(value.substr(comma + 1), -kMostProperMotionMasPerYear, kMostProperMotionMasPerYear,
                               motion.pmDecMasPerYear);
    }
    if (key == kEpochKey) {
        if (value.starts_with('J')) value.remove_prefix(1);
        return ReadKeyedNumber(value, kEarliestEpochJulianYear, kLatestEpochJulianYear, motion.epochJulianYear);
    }
    if (key == kParallaxKey) return ReadKeyedNumber(value, -kMostParallaxMas, kMostParallaxMas, motion.parallaxMas);
    return ReadKeyedNumber(value, -kMostRadialVelocityKmPerS, kMostRadialVelocityKmPerS, motion.radialVelocityKmPerS);
}

// Reads the keyed values of the free text after column 40 into `motion`
// (left empty when there is none). False, with the offending word, when one
// does not read or a name stands twice.
bool ReadMotion(std::string_view line, std::optional<CatalogueMotion>& motion, std::string_view& badWord) {
    motion.reset();
    if (line.size() <= kObjectLineLength) return true;
    const std::string_view tail = line.substr(kObjectLineLength);
    constexpr std::string_view kKeys[] = {kProperMotionKey, kEpochKey, kParallaxKey, kRadialVelocityKey};
    bool given[std::size(kKeys)] = {};
    CatalogueMotion read;
    std::size_t position = 0;
    while (position < tail.size()) {
        if (IsWordSeparator(tail[position])) {
            ++position;
            continue;
        }
        std::size_t end = position;
        while (end < tail.size() && !IsWordSeparator(tail[end])) ++end;
        const std::string_view word = tail.substr(position, end - position);
        position = end;
        for (std::size_t k = 0; k < std::size(kKeys); ++k) {
            if (!word.starts_with(kKeys[k])) continue;
            badWord = word;
            if (given[k] || !ReadKeyedValue(kKeys[k], word.substr(kKeys[k].size()), read)) return false;
            given[k] = true;
        }
    }
    if (std::find(std::begin(given), std::end(given), true) != std::end(given)) motion = read;
    return true;
}

}  // namespace

std::string_view FieldText(std::string_view line, const ObjectField& field) {
    return Substring(line, field.firstColumn, field.width);
}

void PutField(std::string& line, const ObjectField& field, std::string_view text) {
    const auto first = static_cast<std::size_t>(field.firstColumn - 1);
    const auto width = static_cast<std::size_t>(field.width);
    if (line.size() < first + width) line.resize(first + width, ' ');
    const std::size_t shown = text.size() < width ? text.size() : width;
    const std::string padding(width - shown, ' ');
    const std::string kept(text.substr(0, shown));
    line.replace(first, width, field.kind == ObjectFieldKind::kText ? kept + padding : padding + kept);
}

namespace {

// The place from the numeric fields, each given by `number`, which is asked
// for them in column order (the order in which a failing one is named).
template <typename Number>
void PlaceFromFields(std::string_view line, Number number, ObjectPlace& object) {
    object.designation = std::string(FieldText(line, kDesignationField));

    // Right ascension: hours, minutes, seconds; no sign.
    const double raHours = number(kRaHoursField);
    const double raMinutes = number(kRaMinutesField);
    const double raSeconds = number(kRaSecondsField);
    object.raRad = DegreesToRadians(SixtiethsToUnits(raHours, raMinutes, raSeconds) * kDegreesPerHour);

    // Declination: the sign applies to the whole sum.
    const double decDegrees = number(kDecDegreesField);
    const double decMinutes = number(kDecMinutesField);
    const double decSeconds = number(kDecSecondsField);
    double decDeg = SixtiethsToUnits(decDegrees, decMinutes, decSeconds);
    if (FieldText(line, kDecSignField) == "-") decDeg = -decDeg;
    object.decRad = DegreesToRadians(decDeg);

    object.magnitude = number(kMagnitudeField);
}

}  // namespace

ObjectLineKind ReadObjectLine(std::string_view line, ListedObject& listed) {
    if (!LooksLikeObjectLine(line)) return ObjectLineKind::kSkipped;
    // Each numeric field is read once. Every one must read as a number,
    // integer fields included; an integer field that is no integer (a point
    // in it) passes, and the first such field's error is kept.
    std::array<double, kObjectLineLength + 1> values{};  // by first column
    std::string readError;
    for (const ObjectField& field : kObjectFields) {
        if (!IsNumeric(field)) continue;
        const std::string_view text = FieldText(line, field);
        long double value = 0;
        if (!TryTextToFloat(text, value)) return ObjectLineKind::kMalformed;
        if (field.kind == ObjectFieldKind::kInteger) {
            std::int32_t whole = 0;
            if (!TryTextToInt(text, whole) && readError.empty()) readError = NotAnIntegerError(text).what();
            value = whole;
        }
        values[static_cast<std::size_t>(field.firstColumn)] = static_cast<double>(value);
    }
    const std::string_view sign = FieldText(line, kDecSignField);
    if (sign != "+" && sign != "-") return ObjectLineKind::kMalformed;
    std::string_view badWord;
    if (!ReadMotion(line, listed.place.motion, badWord)) return ObjectLineKind::kMalformed;
    PlaceFromFields(
        line, [&](const ObjectField& field) { return values[static_cast<std::size_t>(field.firstColumn)]; },
        listed.place);
    listed.readError = std::move(readError);
    return ObjectLineKind::kAccepted;
}

ObjectLineKind ClassifyObjectLine(std::string_view line) {
    ListedObject ignored;
    return ReadObjectLine(line, ignored);
}

ListedObject ListObject(std::string_view acceptedLine) {
    ListedObject listed;
    ReadObjectLine(acceptedLine, listed);
    return listed;
}

ObjectPlace ReadObjectPlace(std::string_view line) {
    ObjectPlace object;
    PlaceFromFields(
        line, [&](const ObjectField& field) { return ReadNumberOf(line, field); }, object);
    std::string_view badWord;
    if (!ReadMotion(line, object.motion, badWord)) {
        throw ConversionError("'" + std::string(badWord) + kNotAFloatAfter);
    }
    return object;
}

std::string_view ObjectKey(std::string_view objectLine) { return Trim(FieldText(objectLine, kDesignationField)); }

}  // namespace celestra
