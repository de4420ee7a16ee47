#include "core/object_line.h"

#include "astro/constants.h"
#include "astro/umath.h"
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

ObjectLineKind ClassifyObjectLine(std::string_view line) {
    if (!LooksLikeObjectLine(line)) return ObjectLineKind::kSkipped;
    // Every numeric field must read as a number, integer fields included;
    // an integer field with a point passes here and fails when it is read.
    for (const ObjectField& field : kObjectFields) {
        long double ignored = 0;
        if (IsNumeric(field) && !TryTextToFloat(FieldText(line, field), ignored)) return ObjectLineKind::kMalformed;
    }
    const std::string_view sign = FieldText(line, kDecSignField);
    return sign == "+" || sign == "-" ? ObjectLineKind::kAccepted : ObjectLineKind::kMalformed;
}

ObjectPlace ReadObjectPlace(std::string_view line) {
    ObjectPlace object;
    object.designation = std::string(FieldText(line, kDesignationField));
    // The fields in column order, the order in which a failing one is named.
    const auto number = [&](const ObjectField& field) { return ReadNumberOf(line, field); };

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
    return object;
}

ListedObject ListObject(std::string_view acceptedLine) {
    ListedObject listed;
    try {
        listed.place = ReadObjectPlace(acceptedLine);
    } catch (const ConversionError& error) {
        listed.place.designation = std::string(FieldText(acceptedLine, kDesignationField));
        listed.readError = error.what();
    }
    return listed;
}

std::string_view ObjectKey(std::string_view objectLine) { return Trim(FieldText(objectLine, kDesignationField)); }

}  // namespace celestra
