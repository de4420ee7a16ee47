#include "support/run_support.h"

#include "core/object_line.h"

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

}  // namespace celestra::testing
