#include "core/object_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "astro/angles.h"
#include "astro/constants.h"
#include "astro/sun.h"
#include "text/errors.h"
#include "text/fixed_texts.h"
#include "text/number_scan.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

using namespace astro;

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

// How a keyed number reads.
enum class KeyedRead { kRead, kUnread, kOutOfRange };

KeyedRead ReadKeyedNumber(std::string_view text, double least, double most, double& value) {
    long double read = 0;
    if (text.empty() || !TryTextToFloat(text, read) || !std::isfinite(static_cast<double>(read))) {
        return KeyedRead::kUnread;
    }
    value = static_cast<double>(read);
    return value >= least && value <= most ? KeyedRead::kRead : KeyedRead::kOutOfRange;
}

// The keyed values' names, each with its bounds' refusal.
struct Key {
    std::string_view name;  // with its "="
    const char* outOfRange;
};
constexpr Key kKeys[] = {
    {kProperMotionKey, kProperMotionOutOfRange},
    {kEpochKey, kEpochOutOfRange},
    {kParallaxKey, kParallaxOutOfRange},
    {kRadialVelocityKey, kRadialVelocityOutOfRange},
};

// Units a value might be followed by, which would be read as free text.
constexpr std::string_view kUnitWords[] = {"mas", "mas/yr", "mas/a", "km/s", "yr", "arcsec", "\"", "deg"};

// One keyed value into `motion`.
KeyedRead ReadKeyedValue(std::string_view key, std::string_view value, CatalogueMotion& motion) {
    if (key == kProperMotionKey) {
        const std::size_t comma = value.find(',');
        if (comma == std::string_view::npos) return KeyedRead::kUnread;
        const KeyedRead ra = ReadKeyedNumber(value.substr(0, comma), -kMostProperMotionMasPerYear,
                                             kMostProperMotionMasPerYear, motion.pmRaCosDecMasPerYear);
        const KeyedRead dec = ReadKeyedNumber(value.substr(comma + 1), -kMostProperMotionMasPerYear,
                                              kMostProperMotionMasPerYear, motion.pmDecMasPerYear);
        return ra != KeyedRead::kRead ? ra : dec;
    }
    if (key == kEpochKey) {
        if (value.starts_with('J')) value.remove_prefix(1);
        return ReadKeyedNumber(value, kEarliestEpochJulianYear, kLatestEpochJulianYear, motion.epochJulianYear);
    }
    if (key == kParallaxKey) return ReadKeyedNumber(value, -kMostParallaxMas, kMostParallaxMas, motion.parallaxMas);
    return ReadKeyedNumber(value, -kMostRadialVelocityKmPerS, kMostRadialVelocityKmPerS, motion.radialVelocityKmPerS);
}

// The length of the word separator at `at`, 0 when there is none: a
// blank, a tab, or a non-breaking space in UTF-8 or (after a plain
// character) in Windows-1252.
std::size_t SeparatorAt(std::string_view text, std::size_t at) {
    const char c = text[at];
    if (c == ' ' || c == '\t') return 1;
    if (c == '\xC2' && at + 1 < text.size() && text[at + 1] == '\xA0') return 2;
    if (c == '\xA0' && (at == 0 || static_cast<unsigned char>(text[at - 1]) < 0x80)) return 1;
    return 0;
}

struct Word {
    std::string_view text;
    std::size_t offset;  // from the line's start
};

std::vector<Word> WordsAfterFields(std::string_view line) {
    std::vector<Word> words;
    std::size_t at = kObjectLineLength;
    while (at < line.size()) {
        if (const std::size_t separator = SeparatorAt(line, at); separator > 0) {
            at += separator;
            continue;
        }
        std::size_t end = at;
        while (end < line.size() && SeparatorAt(line, end) == 0) ++end;
        words.push_back({line.substr(at, end - at), at});
        at = end;
    }
    return words;
}

// "columnas 41-45" or "columna 41": where words stand, 1-based.
std::string ColumnsText(std::size_t first, std::size_t last) {
    if (first == last) return kWhereOneColumn + IntToText(static_cast<std::int64_t>(first));
    return kWhereColumnsBefore + IntToText(static_cast<std::int64_t>(first)) + "-" +
           IntToText(static_cast<std::int64_t>(last));
}

// The columns one word stands in.
std::string ColumnsOf(const Word& word) { return ColumnsText(word.offset + 1, word.offset + word.text.size()); }

std::string WordsRefusal(std::string_view line, const Word& first, const Word& last, std::string_view why) {
    const std::size_t end = last.offset + last.text.size();
    return ColumnsText(first.offset + 1, end) + ": '" + std::string(line.substr(first.offset, end - first.offset)) +
           std::string(why);
}

// Reads the keyed values of the free text after column 40 into `motion`
// (left empty when there is none). False, with where and why, when one
// does not read, a name stands twice or a name claims a value in another
// form.
bool ReadMotion(std::string_view line, std::optional<CatalogueMotion>& motion, std::string& refusal) {
    motion.reset();
    if (line.size() <= kObjectLineLength) return true;
    const std::vector<Word> words = WordsAfterFields(line);
    bool given[std::size(kKeys)] = {};
    CatalogueMotion read;
    for (std::size_t w = 0; w < words.size(); ++w) {
        const Word& word = words[w];
        const Word* next = w + 1 < words.size() ? &words[w + 1] : nullptr;
        for (std::size_t k = 0; k < std::size(kKeys); ++k) {
            const std::string_view key = kKeys[k].name;
            const std::string_view bare = key.substr(0, key.size() - 1);
            // The refusals, made only when one is given.
            const auto unread = [&](const Word& last) {
                refusal = WordsRefusal(line, word, last, kUnreadKeyedWordMiddle + std::string(key) + kKeyedValueSuffix);
                return false;
            };
            if (word.text.starts_with(key)) {
                if (given[k]) {
                    refusal = ColumnsOf(word) + ": '" + std::string(key) + kGivenTwiceAfter;
                    return false;
                }
                if (next != nullptr &&
                    std::find(std::begin(kUnitWords), std::end(kUnitWords), next->text) != std::end(kUnitWords)) {
                    return unread(*next);
                }
                switch (ReadKeyedValue(key, word.text.substr(key.size()), read)) {
                    case KeyedRead::kRead: break;
                    case KeyedRead::kUnread: return unread(word);
                    case KeyedRead::kOutOfRange: refusal = ColumnsOf(word) + ": " + kKeys[k].outOfRange; return false;
                }
                given[k] = true;
            } else if ((word.text == bare && next != nullptr &&
                        (next->text.starts_with('=') || next->text.starts_with(':'))) ||
                       (word.text.starts_with(bare) && word.text.substr(bare.size()).starts_with(':'))) {
                return unread(word.text == bare ? *next : word);
            }
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

ObjectLineKind ReadObjectLine(std::string_view line, ListedObject& listed, std::string* refusal) {
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
        if (!TryTextToFloat(text, value)) {
            if (refusal != nullptr) {
                *refusal = ColumnsText(static_cast<std::size_t>(field.firstColumn),
                                       static_cast<std::size_t>(field.firstColumn + field.width - 1)) +
                           ": '" + std::string(text) + kNotANumberAfter;
            }
            return ObjectLineKind::kMalformed;
        }
        if (field.kind == ObjectFieldKind::kInteger) {
            std::int32_t whole = 0;
            if (!TryTextToInt(text, whole) && readError.empty()) readError = NotAnIntegerError(text).what();
            value = whole;
        }
        values[static_cast<std::size_t>(field.firstColumn)] = static_cast<double>(value);
    }
    const std::string_view sign = FieldText(line, kDecSignField);
    if (sign != "+" && sign != "-") {
        if (refusal != nullptr) {
            const auto column = static_cast<std::size_t>(kDecSignField.firstColumn);
            *refusal = ColumnsText(column, column) + ": " + kMissingSign;
        }
        return ObjectLineKind::kMalformed;
    }
    std::string why;
    if (!ReadMotion(line, listed.place.motion, why)) {
        if (refusal != nullptr) *refusal = std::move(why);
        return ObjectLineKind::kMalformed;
    }
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

ObjectPlace ReadObjectPlace(std::string_view line) {
    ObjectPlace object;
    PlaceFromFields(
        line, [&](const ObjectField& field) { return ReadNumberOf(line, field); }, object);
    std::string why;
    if (!ReadMotion(line, object.motion, why)) throw ConversionError(why);
    return object;
}

std::string_view DesignationKey(std::string_view designationText) { return Trim(designationText); }

}  // namespace celestra
