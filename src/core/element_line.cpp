#include "core/element_line.h"

#include <cmath>
#include <cstddef>
#include <cstdio>

#include "astro/constants.h"
#include "core/pseudo_comet_constants.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

constexpr double kNorthernArgumentDeg = 90.0;
constexpr double kSouthernArgumentDeg = 270.0;

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

// "yyyy mm dd.dddd"
std::string PerihelionText(const PerihelionTime& time) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d %02d %02d.%04d", time.year, time.month, time.day, time.dayTenThousandths);
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
    double nodeDeg = north ? longitudeDeg - 90.0 : longitudeDeg + 90.0;
    // Into range by at most two turns either way; 0 and 360 stay.
    if (nodeDeg < 0) nodeDeg += UMath::kDegreesPerTurn;
    if (nodeDeg < 0) nodeDeg += UMath::kDegreesPerTurn;
    if (nodeDeg > UMath::kDegreesPerTurn) nodeDeg -= UMath::kDegreesPerTurn;
    if (nodeDeg > UMath::kDegreesPerTurn) nodeDeg -= UMath::kDegreesPerTurn;
    return {north ? kNorthernArgumentDeg : kSouthernArgumentDeg, nodeDeg, std::fabs(latitudeDeg)};
}

std::string WriteElementLine(const ElementValues& values) {
    const OrbitOrientation& orbit = values.orbit;
    std::string line(static_cast<std::size_t>(kElementDesignation.firstColumn - 1), ' ');
    line.reserve(112);
    Append(line, kElementDesignation, values.designation, &kElementPerihelionDate);
    Append(line, kElementPerihelionDate, PerihelionText(values.perihelion), &kElementPerihelionDistance);
    Append(line, kElementPerihelionDistance, values.perihelionDistance, &kElementEccentricity);
    Append(line, kElementEccentricity, FormatFloat("0.000000", kPseudoCometEccentricity),
           &kElementArgumentOfPerihelion);
    Append(line, kElementArgumentOfPerihelion, FormatFloat("0.0000", orbit.argumentOfPerihelionDeg), &kElementNode);
    Append(line, kElementNode, FormatFloat("000.0000", orbit.nodeDeg), &kElementInclination);
    Append(line, kElementInclination, FormatFloat("00.0000", orbit.inclinationDeg), &kElementAbsoluteMagnitude);
    Append(line, kElementAbsoluteMagnitude, values.absoluteMagnitude, &kElementSlope);
    Append(line, kElementSlope, FormatFloat("00.0;-0.0", values.slope), &kElementDesignationKey);
    Append(line, kElementDesignationKey, Trim(values.designation), nullptr);
    return line;
}

}  // namespace celestra
