// The element builder on arbitrary lines that the object-list reader
// accepts, for dates across the calendar: the line has its fixed pieces,
// and the pseudo-comet's latitude stays within the poles.
#include <cstdint>
#include <string>

#include "core/processing_run.h"
#include "core/pseudo_comet.h"
#include "fuzz_support.h"
#include "text/dates.h"
#include "text/errors.h"
#include "text/numbers.h"
#include "text/strings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace celestra;
    if (size < 42) return 0;
    // Two bytes choose the day, from 1900 to about 2080.
    const double dayCount = 2 + (data[0] | data[1] << 8);
    const std::string date = DateToText(dayCount);
    std::string line(reinterpret_cast<const char*>(data + 2), size - 2);
    line = line.substr(0, line.find_first_of("\r\n"));
    if (ClassifyObjectLine(line) != ObjectLineKind::kAccepted) return 0;

    std::string element;
    try {
        element = BuildElementLine(line, date);
    } catch (const ConversionError&) {
        return 0;  // hours, minutes, degrees or arc minutes that are no integer
    }
    FUZZ_CHECK(element.compare(0, 4, "    ") == 0);
    FUZZ_CHECK(element.compare(4, 8, Substring(line, 1, 8)) == 0);
    FUZZ_CHECK(element.compare(14, 15, date.substr(6, 4) + " " + date.substr(3, 2) + " " + date.substr(0, 2) + ".0000") == 0);
    FUZZ_CHECK(element.compare(29, 22, "999.999999  0.000000  ") == 0);
    const std::string omega = element.substr(51, 8);
    FUZZ_CHECK(omega == " 90.0000" || omega == "270.0000");
    const long double node = TextToFloat(element.substr(61, 8));
    FUZZ_CHECK(node >= 0 && node <= 360);
    const long double inclination = TextToFloat(element.substr(69, 12));
    FUZZ_CHECK(inclination >= 0 && inclination <= 90);
    FUZZ_CHECK(element.compare(81, 15, "          -9.9 ") == 0);
    return 0;
}
