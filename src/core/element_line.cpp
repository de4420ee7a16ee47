#include "core/element_line.h"

#include <cmath>
#include <cstddef>
#include <cstdio>

#include "astro/constants.h"
#include "core/object_line.h"
#include "core/pseudo_comet_constants.h"
#include "text/conventions.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

constexpr double kNorthernArgumentDeg = 90.0;
constexpr double kSouthernArgumentDeg = 270.0;
// The perihelion lies a quarter turn from the node: after it in the
// north, before it in the south (degrees).
constexpr double kNodeToPerihelionDeg = 90.0;

// The angles' patterns (degrees), and the eccentricity's.
constexpr const char* kEccentricityFormat = "0.000000";
constexpr const char* kArgumentFormat = "0.0000";
constexpr const char* kNodeFormat = "000.0000";
constexpr const char* kInclinationFormat = "00.0000";

// Appends the field's text, padded to its width, then blanks up to `next`.
void Append(std::string& line, const ElementField& field, std::string_view text, const ElementField* next) {
    const auto width = static_cast<std::size_t>(field.width);
    const std::size_t padding = text.size() < width ? width - text.size() : 0;
    if (field.rightAligned) line.append(padding, ' ');
    line += text;
    if (!field.rightAligned) line.append(padding, ' ');
    if (next != nullptr) {
        line.append(static_cast<std::size_t>(next->firstColumn - field.firstColumn - field.width), ' ');
    }
}

// Writes `value` (0 to 10^width - 1) with `width` digits, zeros in front.
char* PutDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

// A field's pattern, with the texts of the last two values it wrote:
// successive lines repeat the eccentricity and, in the classic lines, one of
// two arguments of perihelion, whose texts are then not made again.
class FieldFormat {
public:
    explicit FieldFormat(std::string_view pattern) : pattern_(pattern) {}

    // The value's text, valid until the second call after this one.
    std::string_view Text(long double value) {
        const char separator = Conventions().decimalSeparator;
        for (const Written& written : recent_) {
            if (written.used && written.separator == separator && written.value == value &&
                std::signbit(written.value) == std::signbit(value)) {
                return written.text;
            }
        }
        Written& written = recent_[next_];
        next_ = 1 - next_;
        pattern_.Format(value, written.text);
        written.used = true;
        written.value = value;
        written.separator = separator;
        return written.text;
    }

private:
    struct Written {
        bool used = false;
        long double value = 0;
        char separator = 0;
        std::string text;
    };
    FloatPattern pattern_;
    Written recent_[2];
    std::size_t next_ = 0;
};

// "yyyy mm dd.dddd"; a field out of its digits' range as printf writes it.
std::string PerihelionText(const PerihelionTime& time) {
    const auto within = [](int value, int limit) { return value >= 0 && value < limit; };
    if (!within(time.year, 10000) || !within(time.month, 100) || !within(time.day, 100) ||
        !within(time.dayTenThousandths, 10000)) {
        char text[64];
        std::snprintf(text, sizeof text, "%04d %02d %02d.%04d", time.year, time.month, time.day,
                      time.dayTenThousandths);
        return text;
    }
    std::string text(15, ' ');
    char* out = PutDigits(text.data(), time.year, 4) + 1;
    out = PutDigits(out, time.month, 2) + 1;
    out = PutDigits(out, time.day, 2);
    *out++ = '.';
    PutDigits(out, time.dayTenThousandths, 4);
    return text;
}

}  // namespace

std::string ElementFieldText(std::string_view line, const ElementField& field) {
    const long long width = field.width > 0 ? field.width : static_cast<long long>(line.size());
    return std::string(Substring(line, field.firstColumn, width));
}

ElementNumbers ReadElementLine(std::string_view line) {
    const auto number = [&](const ElementField& field) {
        return static_cast<double>(TextToFloat(ElementFieldText(line, field)));
    };
    // "yyyy mm dd.dddd"
    const std::string date = ElementFieldText(line, kElementPerihelionDate);
    ElementNumbers numbers{};
    numbers.perihelionYear = TextToInt(Substring(date, 1, 4));
    numbers.perihelionMonth = TextToInt(Substring(date, 6, 2));
    numbers.perihelionDay = static_cast<double>(TextToFloat(Substring(date, 9, 7)));
    numbers.perihelionDistanceAu = number(kElementPerihelionDistance);
    numbers.eccentricity = number(kElementEccentricity);
    numbers.argumentOfPerihelionDeg = number(kElementArgumentOfPerihelion);
    numbers.nodeDeg = number(kElementNode);
    numbers.inclinationDeg = number(kElementInclination);
    numbers.absoluteMagnitude = number(kElementAbsoluteMagnitude);
    numbers.slope = number(kElementSlope);
    return numbers;
}

OrbitOrientation OrientationOfPerihelion(double latitudeDeg, double longitudeDeg) {
    const bool north = latitudeDeg >= 0;
    double nodeDeg = north ? longitudeDeg - kNodeToPerihelionDeg : longitudeDeg + kNodeToPerihelionDeg;
    // Into range by at most two turns either way; 0 and 360 stay.
    if (nodeDeg < 0) nodeDeg += astro::kDegreesPerTurn;
    if (nodeDeg < 0) nodeDeg += astro::kDegreesPerTurn;
    if (nodeDeg > astro::kDegreesPerTurn) nodeDeg -= astro::kDegreesPerTurn;
    if (nodeDeg > astro::kDegreesPerTurn) nodeDeg -= astro::kDegreesPerTurn;
    return {north ? kNorthernArgumentDeg : kSouthernArgumentDeg, nodeDeg, std::fabs(latitudeDeg)};
}

// Each field's pattern, with the texts it wrote last.
struct ElementLineWriter::Patterns {
    PerihelionTime lastPerihelion{-1, -1, -1, -1};
    std::string perihelion;
    FieldFormat eccentricity{kEccentricityFormat};
    FieldFormat argument{kArgumentFormat};
    FieldFormat node{kNodeFormat};
    FieldFormat inclination{kInclinationFormat};
    FieldFormat slope{kTenthsFormat};
};

ElementLineWriter::ElementLineWriter() : patterns_(std::make_unique<Patterns>()) {}
ElementLineWriter::~ElementLineWriter() = default;
ElementLineWriter::ElementLineWriter(ElementLineWriter&&) noexcept = default;
ElementLineWriter& ElementLineWriter::operator=(ElementLineWriter&&) noexcept = default;

void ElementLineWriter::Write(const ElementValues& values, std::string& line) {
    const OrbitOrientation& orbit = values.orbit;
    Patterns& patterns = *patterns_;
    if (!(values.perihelion == patterns.lastPerihelion)) {
        patterns.perihelion = PerihelionText(values.perihelion);
        patterns.lastPerihelion = values.perihelion;
    }
    const std::pair<const ElementField*, std::string_view> fields[] = {
        {&kElementDesignation, values.designation},
        {&kElementPerihelionDate, patterns.perihelion},
        {&kElementPerihelionDistance, values.perihelionDistance},
        {&kElementEccentricity, patterns.eccentricity.Text(kPseudoCometEccentricity)},
        {&kElementArgumentOfPerihelion, patterns.argument.Text(orbit.argumentOfPerihelionDeg)},
        {&kElementNode, patterns.node.Text(orbit.nodeDeg)},
        {&kElementInclination, patterns.inclination.Text(orbit.inclinationDeg)},
        {&kElementAbsoluteMagnitude, values.absoluteMagnitude},
        {&kElementSlope, patterns.slope.Text(values.slope)},
        {&kElementDesignationKey, values.name.empty() ? DesignationKey(values.designation) : values.name},
    };
    line.assign(static_cast<std::size_t>(kElementDesignation.firstColumn - 1), ' ');
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        Append(line, *fields[i].first, fields[i].second, i + 1 < std::size(fields) ? fields[i + 1].first : nullptr);
    }
}

}  // namespace celestra
