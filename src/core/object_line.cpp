#include "core/object_line.h"

#include "astro/constants.h"
#include "astro/umath.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

using namespace UMath;

bool IsDigitAt(std::string_view line, int column) {
    const char c = line[static_cast<std::size_t>(column - 1)];
    return c >= '0' && c <= '9';
}

// Lines that do not look like object lines at all are skipped silently.
bool LooksLikeObjectLine(std::string_view line) {
    if (line.size() < kObjectLineLength) return false;
    for (const ObjectField& field : kObjectFields) {
        if (field.digitColumn != 0 && !IsDigitAt(line, field.digitColumn)) return false;
    }
    return true;
}

// The checks read every numeric field as a decimal number, integer fields
// too; the conversion is stricter (see ReadObjectPlace).
bool FieldsConvert(std::string_view line) {
    for (const ObjectField& field : kObjectFields) {
        if (field.kind != ObjectFieldKind::kInteger && field.kind != ObjectFieldKind::kDecimal) continue;
        long double ignored;
        if (!TryTextToFloat(FieldText(line, field), ignored)) return false;
    }
    return true;
}

bool HasSign(std::string_view line) {
    const std::string_view sign = FieldText(line, kDecSignField);
    return sign == "+" || sign == "-";
}

double ReadNumber(std::string_view line, const ObjectField& field) {
    const std::string_view text = FieldText(line, field);
    return field.kind == ObjectFieldKind::kInteger ? TextToInt(text) : static_cast<double>(TextToFloat(text));
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
    // The sign is tested whether or not a field failed.
    const bool fieldsOk = FieldsConvert(line);
    const bool signOk = HasSign(line);
    return fieldsOk && signOk ? ObjectLineKind::kAccepted : ObjectLineKind::kMalformed;
}

ObjectPlace ReadObjectPlace(std::string_view line) {
    ObjectPlace object;
    object.designation = std::string(FieldText(line, kDesignationField));

    // Right ascension: hours, minutes, seconds; no sign.
    const double raHours = ReadNumber(line, kRaHoursField);
    const double raMinutes = ReadNumber(line, kRaMinutesField);
    const double raSeconds = ReadNumber(line, kRaSecondsField);
    object.raRad = DegreesToRadians(SixtiethsToUnits(raHours, raMinutes, raSeconds) * kDegreesPerHour);

    // Declination: the sign applies to the whole sum.
    const double decDegrees = ReadNumber(line, kDecDegreesField);
    const double decMinutes = ReadNumber(line, kDecMinutesField);
    const double decSeconds = ReadNumber(line, kDecSecondsField);
    double decDeg = SixtiethsToUnits(decDegrees, decMinutes, decSeconds);
    if (FieldText(line, kDecSignField) == "-") decDeg = -decDeg;
    object.decRad = DegreesToRadians(decDeg);

    object.magnitude = ReadNumber(line, kMagnitudeField);
    return object;
}

std::string_view ObjectKey(std::string_view objectLine) { return Trim(FieldText(objectLine, kDesignationField)); }

}  // namespace celestra
