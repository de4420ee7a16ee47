#include "support/run_support.h"

#include "core/object_line.h"
#include "core/pseudo_comet_lines.h"

namespace celestra::testing {

std::string ObjectLine(std::string designation, const std::string& ra, const std::string& dec,
                       const std::string& magnitude) {
    std::string line;
    PutField(line, kDesignationField, designation);
    // The right ascension's and the declination's three fields as one text
    // each, from their first column on.
    line.resize(static_cast<std::size_t>(kRaHoursField.firstColumn - 1), ' ');
    line += ra;
    line.resize(static_cast<std::size_t>(kDecSignField.firstColumn - 1), ' ');
    line += dec;
    PutField(line, kMagnitudeField, magnitude);
    return line;
}

ListedObject ListedObjectOf(std::string_view acceptedLine) {
    ListedObject listed;
    ReadObjectLine(acceptedLine, listed);
    return listed;
}

std::string LineOf(const ObjectPlace& object, std::string_view dateText, Computation computation) {
    return PseudoCometLines(dateText, computation).LineOf(object);
}

std::string ClassicLineOf(std::string_view objectLine, std::string_view dateText) {
    const ObjectPlace object = ReadObjectPlace(objectLine);
    return LineOf(object, dateText, Computation::kClassic);
}

}  // namespace celestra::testing
