// The element builder on arbitrary lines that the object-list reader
// accepts, for dates across the calendar: the line has its fixed pieces,
// and the pseudo-comet's latitude stays within the poles.
#include <cstdint>
#include <string>

#include "core/element_line.h"
#include "core/object_line.h"
#include "core/pseudo_comet_lines.h"
#include "fuzz_support.h"
#include "text/date_field.h"
#include "text/dates.h"
#include "text/errors.h"

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
        element = PseudoCometLines(date, Computation::kClassic).LineOf(ReadObjectPlace(line));
    } catch (const ConversionError&) {
        return 0;  // hours, minutes, degrees or arc minutes that are no integer
    }
    FUZZ_CHECK(element.compare(0, 4, "    ") == 0);
    FUZZ_CHECK(ElementFieldText(element, kElementDesignation) == FieldText(line, kDesignationField));
    FUZZ_CHECK(ElementFieldText(element, kElementPerihelionDate) ==
               DatePart(date, kYearPart) + " " + DatePart(date, kMonthPart) + " " + DatePart(date, kDayPart) + ".0000");
    FUZZ_CHECK(ElementFieldText(element, kElementPerihelionDistance) == "999.999999");
    FUZZ_CHECK(ElementFieldText(element, kElementEccentricity) == "0.000000");
    const std::string omega = ElementFieldText(element, kElementArgumentOfPerihelion);
    FUZZ_CHECK(omega == " 90.0000" || omega == "270.0000");
    const ElementNumbers numbers = ReadElementLine(element);
    FUZZ_CHECK(numbers.nodeDeg >= 0 && numbers.nodeDeg <= 360);
    FUZZ_CHECK(numbers.inclinationDeg >= 0 && numbers.inclinationDeg <= 90);
    FUZZ_CHECK(ElementFieldText(element, kElementAbsoluteMagnitude) == "-9.9");
    return 0;
}
