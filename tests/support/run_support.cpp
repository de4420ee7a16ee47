#include "support/run_support.h"

namespace celestra::testing {

std::string ObjectLine(std::string designation, const std::string& ra, const std::string& dec,
                       const std::string& magnitude) {
    designation.resize(8, ' ');
    std::string mag = magnitude;
    if (mag.size() < 4) mag.insert(0, 4 - mag.size(), ' ');
    return designation + "  " + ra + "  " + dec + "  " + mag;
}

}  // namespace celestra::testing
