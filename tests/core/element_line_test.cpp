#include "core/element_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/temp_dir.h"
#include "text/conventions.h"
#include "text/numbers.h"

namespace celestra {
namespace {

std::string LayOutElementLine(const ElementValues& values) {
    std::string line;
    ElementLineWriter().Write(values, line);
    return line;
}

// The manual's example line, assembled by hand from its column table (not
// by the program): blanks 1-4, designation 5-12, date 15-29, q 30-39, e
// 42-49, omega 52-59, node 62-69, inclination 73-79, H 92-95, slope 97-100,
// key from 103.
const std::string kManualLine = std::string("    ") + "STAR01  " + "  " + "2006 01 15.0000" + "999.999999" + "  " +
                                "0.000000" + "  " + " 90.0000" + "  " + "012.4435" + "   " + "45.0677" +
                                std::string(12, ' ') + "-9.9" + " " + "01.0" + "  " + "STAR01";

TEST(ElementLine, WritesEachFieldInItsColumns) {
    EXPECT_EQ(LayOutElementLine({"STAR01  ", {2006, 1, 15, 0}, "999.999999", {90.0, 12.4435, 45.06771}, "-9.9", 1.0}),
              kManualLine);
    const std::pair<ElementField, const char*> fields[] = {
        {kElementDesignation, "STAR01  "},
        {kElementPerihelionDate, "2006 01 15.0000"},
        {kElementPerihelionDistance, "999.999999"},
        {kElementEccentricity, "0.000000"},
        {kElementArgumentOfPerihelion, " 90.0000"},
        {kElementNode, "012.4435"},
        {kElementInclination, "45.0677"},
        {kElementAbsoluteMagnitude, "-9.9"},
        {kElementSlope, "01.0"},
        {kElementDesignationKey, "STAR01"},
    };
    for (const auto& [field, text] : fields) EXPECT_EQ(ElementFieldText(kManualLine, field), text) << text;

    // Read back: the day with its four decimals, the angles as written.
    const ElementNumbers read = ReadElementLine(LayOutElementLine(
        {"STAR01  ", {2005, 12, 28, 7874}, " 99999.999", {127.6197, 312.5604, 63.4269}, "-7.5", -0.4}));
    EXPECT_EQ(read.perihelionYear, 2005);
    EXPECT_EQ(read.perihelionMonth, 12);
    EXPECT_DOUBLE_EQ(read.perihelionDay, 28.7874);  // tolerance: 4 ulps
    EXPECT_DOUBLE_EQ(read.perihelionDistanceAu, 99999.999);
    EXPECT_DOUBLE_EQ(read.argumentOfPerihelionDeg, 127.6197);
    EXPECT_DOUBLE_EQ(read.slope, -0.4);

    // A text wider than its field pushes the rest along instead of being cut.
    const std::string wide =
        LayOutElementLine({"STAR01  ", {1899, 12, 30, 5}, "999.999999", {90.0, 12.4435, 45.06771}, "-9.9", -133.9});
    EXPECT_EQ(ElementFieldText(wide, kElementPerihelionDate), "1899 12 30.0005");
    EXPECT_EQ(wide.substr(96), "-133.9  STAR01");

    // The same values again, by one writer, under other conventions and back:
    // the writer keeps the last texts of repeated values, never those of
    // another separator.
    ElementLineWriter writer;
    std::string line;
    writer.Write({"STAR01  ", {2006, 1, 15, 0}, "999.999999", {90.0, 12.4435, 45.06771}, "-9.9", 1.0}, line);
    EXPECT_EQ(line, kManualLine);
    {
        TextConventions comma;
        comma.decimalSeparator = ',';
        testing::ScopedConventions scoped(comma);
        writer.Write({"STAR01  ", {2006, 1, 15, 0}, "999,999999", {90.0, 12.4435, 45.06771}, "-9,9", 1.0}, line);
        EXPECT_EQ(line.substr(41, 59), "0,000000   90,0000  012,4435   45,0677            -9,9 01,0");
    }
    writer.Write({"STAR01  ", {2006, 1, 15, 0}, "999.999999", {90.0, 12.4435, 45.06771}, "-9.9", 1.0}, line);
    EXPECT_EQ(line, kManualLine);
}

// The perihelion at a latitude and longitude gives omega, node and
// inclination from one decision on the hemisphere; going back from the three
// angles must land on the same place.
TEST(ElementLine, OrientsTheOrbitFromOneHemisphereDecision) {
    const struct {
        double latitudeDeg, longitudeDeg;
        double argumentDeg, nodeDeg;
        const char* nodeText;
    } rows[] = {
        {45.067712, 102.443496, 90, 12.443496, "012.4435"},
        {-15.365108, -165.118337, 270, 284.881663, "284.8817"},
        {0.0, 30.0, 90, 300.0, "300.0000"},  // on the ecliptic: north
        {-0.0, 30.0, 90, 300.0, "300.0000"},
        {-1e-12, 30.0, 270, 120.0, "120.0000"},      // just south of it
        {-1.0, -480.0, 270, 330.0, "330.0000"},      // -390: two turns added
        {1.0, 90.0 - 1e-14, 90, 360.0, "360.0000"},  // a tiny negative plus a turn stays 360
        {1.0, 449.99996, 90, 359.99996, "360.0000"},
        {1.0, 90.0, 90, 0.0, "000.0000"},
        {-1.0, 540.0, 270, 270.0, "270.0000"},  // 630: one turn off
        {-90.0, 0.0, 270, 90.0, "090.0000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.nodeText);
        const OrbitOrientation orbit = OrientationOfPerihelion(row.latitudeDeg, row.longitudeDeg);
        EXPECT_EQ(orbit.argumentOfPerihelionDeg, row.argumentDeg);
        EXPECT_NEAR(orbit.nodeDeg, row.nodeDeg, 1e-9);  // degrees
        EXPECT_EQ(FormatFloat("000.0000", orbit.nodeDeg), row.nodeText);
        EXPECT_EQ(orbit.inclinationDeg, std::fabs(row.latitudeDeg));

        // Back: perihelion 90 degrees past the node at +i, or 270 at -i.
        const bool north = orbit.argumentOfPerihelionDeg == 90;
        EXPECT_NEAR(north ? orbit.inclinationDeg : -orbit.inclinationDeg, row.latitudeDeg, 1e-12);
        const double longitudeDeg = orbit.nodeDeg + (north ? 90.0 : -90.0);
        EXPECT_NEAR(std::remainder(longitudeDeg - row.longitudeDeg, 360.0), 0.0, 1e-9);  // degrees
    }
}

}  // namespace
}  // namespace celestra
