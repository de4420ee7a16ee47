#include "core/object_line.h"

#include <array>
#include <cstdint>

#include "astro/constants.h"
#include "astro/umath.h"
#include "text/conventions.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

using namespace UMath;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDigitAt(std::string_view line, int column) { return IsDigit(line[static_cast<std::size_t>(column - 1)]); }

// Lines that do not look like object lines at all are skipped silently.
// The tested columns of the table, gathered once at compile time: every
// line of the list is tested.
constexpr std::size_t kTestedColumnCount = [] {
    std::size_t count = 0;
    for (const ObjectField& field : kObjectFields) count += field.digitColumn != 0 ? 1 : 0;
    return count;
}();
constexpr auto kTestedColumns = [] {
    std::array<int, kTestedColumnCount> columns{};
    std::size_t next = 0;
    for (const ObjectField& field : kObjectFields) {
        if (field.digitColumn != 0) columns[next++] = field.digitColumn;
    }
    return columns;
}();

bool LooksLikeObjectLine(std::string_view line) {
    if (line.size() < kObjectLineLength) return false;
    for (const int column : kTestedColumns) {
        if (!IsDigitAt(line, column)) return false;
    }
    return true;
}

// The shape nearly every numeric field has: blanks, then digits with at
// most one separator among or after them, then blanks. Such a field always
// reads as a number, and needs none of the general conversions: one pass
// over its few columns.
struct PlainNumber {
    std::uint64_t digits = 0;  // every digit, as one integer
    int decimals = 0;          // how many of them follow the separator
    bool separator = false;
    bool trailingBlanks = false;
};

// A field is never wider than this many digits, which one integer holds.
constexpr std::size_t kWidestPlainNumber = 18;

// Inlined where it is used: the checks, which drop the number, cost less.
[[gnu::always_inline]] inline bool ReadPlainNumber(std::string_view text, char separator, PlainNumber& number) {
    if (text.size() > kWidestPlainNumber) return false;
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end && *at == ' ') ++at;
    const char* const start = at;
    const char* separatorAt = nullptr;
    std::uint64_t digits = 0;
    for (; at < end; ++at) {
        const auto digit = static_cast<unsigned>(static_cast<unsigned char>(*at)) - '0';
        if (digit < 10) {
            digits = digits * 10 + digit;
        } else if (*at == separator && separatorAt == nullptr) {
            separatorAt = at;
        } else {
            break;
        }
    }
    if (at - start == (separatorAt != nullptr ? 1 : 0)) return false;  // no digit
    const char* const digitsEnd = at;
    number.trailingBlanks = at < end;
    for (; at < end; ++at) {
        if (*at != ' ') return false;
    }
    number.digits = digits;
    number.separator = separatorAt != nullptr;
    number.decimals = separatorAt != nullptr ? static_cast<int>(digitsEnd - separatorAt - 1) : 0;
    return true;
}

// A field of a line that reaches its last column (kObjectLineLength): its
// columns as they stand, without FieldText's checks of the line's end.
std::string_view FieldOfWholeLine(std::string_view line, const ObjectField& field) {
    return {line.data() + field.firstColumn - 1, static_cast<std::size_t>(field.width)};
}

bool HasSign(std::string_view line) {
    const std::string_view sign = FieldOfWholeLine(line, kDecSignField);
    return sign == "+" || sign == "-";
}

// An integer field as TextToInt reads it, a decimal one as TextToFloat does;
// plain fields straight from their digits, to the same values.
double ReadNumberOf(std::string_view line, const ObjectField& field, char separator) {
    const std::string_view text = FieldText(line, field);
    PlainNumber plain;
    const bool isPlain = ReadPlainNumber(text, separator, plain);
    if (field.kind == ObjectFieldKind::kInteger) {
        // Digits up to the end of the field, nothing after them.
        if (isPlain && !plain.separator && !plain.trailingBlanks) return static_cast<double>(plain.digits);
        return TextToInt(text);
    }
    long double value = 0;
    if (isPlain && TryDigitsToFloat(plain.digits, plain.decimals, value)) return static_cast<double>(value);
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

namespace {

// The place from the numeric fields, each read by `number` in column order
// (the order in which a failing conversion is found).
template <typename Number>
void PlaceFromFields(std::string_view line, Number number, ObjectPlace& object) {
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

ObjectLineKind ReadObjectLine(std::string_view line, ObjectPlace& place, bool& converted) {
    converted = false;
    if (!LooksLikeObjectLine(line)) return ObjectLineKind::kSkipped;
    // Each numeric field once: a plain one gives its value on the way; any
    // other is only checked here, and converted later by ReadObjectPlace.
    const char separator = Conventions().decimalSeparator;
    // By first column; read only when every field gave its value.
    std::array<double, kObjectLineLength + 1> values;
    bool allPlain = true;
    bool fieldsOk = true;
    for (const ObjectField& field : kObjectFields) {
        if (field.kind != ObjectFieldKind::kInteger && field.kind != ObjectFieldKind::kDecimal) continue;
        const std::string_view text = FieldOfWholeLine(line, field);
        PlainNumber plain;
        long double value = 0;
        if (!ReadPlainNumber(text, separator, plain)) {
            allPlain = false;
            if (!TryTextToFloat(text, value)) {
                fieldsOk = false;
                break;
            }
        } else if (field.kind == ObjectFieldKind::kInteger) {
            allPlain = allPlain && !plain.separator && !plain.trailingBlanks;
            values[static_cast<std::size_t>(field.firstColumn)] = static_cast<double>(plain.digits);
        } else if (TryDigitsToFloat(plain.digits, plain.decimals, value)) {
            values[static_cast<std::size_t>(field.firstColumn)] = static_cast<double>(value);
        } else {
            allPlain = false;
        }
    }
    // The sign is tested whether or not a field failed.
    if (!HasSign(line) || !fieldsOk) return ObjectLineKind::kMalformed;
    if (allPlain) {
        const auto number = [&](const ObjectField& field) {
            return values[static_cast<std::size_t>(field.firstColumn)];
        };
        PlaceFromFields(line, number, place);
        converted = true;
    }
    return ObjectLineKind::kAccepted;
}

ObjectLineKind ClassifyObjectLine(std::string_view line) {
    ObjectPlace ignored;
    bool converted = false;
    return ReadObjectLine(line, ignored, converted);
}

ObjectPlace ReadObjectPlace(std::string_view line) {
    ObjectPlace object;
    object.designation = std::string(FieldText(line, kDesignationField));
    const char separator = Conventions().decimalSeparator;
    PlaceFromFields(
        line, [&](const ObjectField& field) { return ReadNumberOf(line, field, separator); }, object);
    return object;
}

std::string_view ObjectKey(std::string_view objectLine) { return Trim(FieldText(objectLine, kDesignationField)); }

}  // namespace celestra
