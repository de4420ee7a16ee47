#include "core/pseudo_comet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "astro/angles.h"
#include "astro/sun.h"
#include "core/element_line.h"
#include "support/run_support.h"
#include "support/temp_dir.h"
#include "text/errors.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

using testing::ObjectLine;

std::string Field(const std::string& line, const ElementField& field) { return ElementFieldText(line, field); }

// The README's two examples as the program writes them, kept as a record of
// its exact output (every digit follows from the formulas in a fixed order).
// Where each line puts its target is checked independently below with plain
// vectors (PlacesTargetsOnTheEclipticAndNextToIt takes these two as well).
TEST(ClassicElementLine, WritesTheWorkedLinesCharacterForCharacter) {
    const std::pair<const char*, const char*> rows[] = {
        {"STAR01    07 33 41.30  +67 32 14.8  12.5",
         "    STAR01    2006 01 15.0000999.999999  0.000000   90.0000  012.4435   45.0677            -9.9 01.0  "
         "STAR01"},
        {"SOUTH-02  12 30 00.00  -20 00 00.0   4.5",
         "    SOUTH-02  2006 01 15.0000999.999999  0.000000  270.0000  284.8817   15.3651            -9.9 -0.1  "
         "SOUTH-02"},
    };
    for (const auto& [object, element] : rows) EXPECT_EQ(testing::ClassicLineOf(object, "15/01/2006"), element);
}

TEST(ClassicElementLine, PutsEachPieceInItsColumns) {
    const std::string line = testing::ClassicLineOf("AB        07 33 41.30  +67 32 14.8  12.5", "03/11/2024");
    EXPECT_EQ(line.substr(0, 4), "    ");
    EXPECT_EQ(Field(line, kElementDesignation), "AB      ") << "designation with its blanks";
    EXPECT_EQ(Field(line, kElementPerihelionDate), "2024 11 03.0000") << "perihelion date from the date text";
    EXPECT_EQ(Field(line, kElementPerihelionDistance), "999.999999");
    EXPECT_EQ(Field(line, kElementEccentricity), "0.000000");
    EXPECT_EQ(Field(line, kElementAbsoluteMagnitude), "-9.9");
    EXPECT_EQ(line.substr(100), "  AB") << "key from column 103, trimmed";
    EXPECT_EQ(Field(line, kElementDesignationKey), "AB");
    EXPECT_EQ(line.size(), 104u);

    const std::string blank = testing::ClassicLineOf("          07 33 41.30  +67 32 14.8  12.5", "03/11/2024");
    EXPECT_EQ(Field(blank, kElementDesignation), "        ");
    EXPECT_EQ(blank.size(), 102u) << "ends with the two blanks of columns 101-102";
    EXPECT_EQ(blank.substr(96), "01.0  ");
}

TEST(ClassicElementLine, WritesTheSlopeOfTheMagnitude) {
    const std::pair<const char*, const char*> rows[] = {
        {"5.1", "00.0"}, {"4.8", "00.0"}, {"4.5", "-0.1"}, {"12.5", "01.0"}, {"-9.9", "-2.0"}, {"99.9", "12.6"},
    };
    for (const auto& [magnitude, slope] : rows) {
        const std::string line =
            testing::ClassicLineOf(ObjectLine("S", "07 33 41.30", "+67 32 14.8", magnitude), "15/01/2006");
        EXPECT_EQ(Field(line, kElementSlope), slope) << "magnitude " << magnitude;
    }
}

TEST(ClassicElementLine, ReportsTheFieldsBeforeTheDate) {
    testing::FixedClock clock({2026, 12, 8, 0, 0, 0, 0});
    const struct {
        std::string object;
        const char* date;
        const char* message;
    } rows[] = {
        {ObjectLine("M", "07 3  41.30", "+67 32 14.8", "12.5"), "31/02/2006", "'3 ' is not a valid integer value"},
        {ObjectLine("M", ".7 33 41.30", "+67 32 14.8", "12.5"), "15/01/2006", "'.7' is not a valid integer value"},
        {ObjectLine("M", "07 33 41.30", "+67 32 1 .8", "12.5"), "15/01/2006",
         "'1 .8' is not a valid floating point value"},
        {ObjectLine("M", "07 33 41.30", "+67 32 14.8", "12.5"), "31/02/2006", "'31/02/2006' is not a valid date"},
        {ObjectLine("M", "07 33 41.30", "+67 32 14.8", "12.5"), "  /  /    ", "'  /  /    ' is not a valid date"},
        // Dates that read as a day but lack the field's shape would put
        // wrong characters in the date columns.
        {ObjectLine("M", "07 33 41.30", "+67 32 14.8", "12.5"), "1/1/2006", "'1/1/2006' is not a valid date"},
        {ObjectLine("M", "07 33 41.30", "+67 32 14.8", "12.5"), "15/01/06", "'15/01/06' is not a valid date"},
        {ObjectLine("M", "07 33 41.30", "+67 32 14.8", "12.5"), "15/01/2006/", "'15/01/2006/' is not a valid date"},
        {ObjectLine("M", "07 33 41.30", "+67 32 14.8", "12.5"), "15/01", "'15/01' is not a valid date"},
    };
    for (const auto& row : rows) {
        EXPECT_THAT([&] { testing::ClassicLineOf(row.object, row.date); },
                    ::testing::ThrowsMessage<ConversionError>(row.message));
    }
}

// The line's perihelion against the target's heliocentric place worked out
// with plain vectors: the Earth at -R (cos L, sin L, 0), the point 1 / sin k
// AU from it towards the target. True when the target lies on the Sun's
// side, where the classic formula would flip it to the other pole.
bool ExpectLinePlacesTarget(const std::string& object, const std::string& date) {
    SCOPED_TRACE(object + " on " + date);
    const ClassicDate geometry = ClassicDateOf(date);
    const double sinK = std::sin(astro::DegreesToRadians(0.05729530205541));
    const ObjectPlace place = ReadObjectPlace(object);
    const auto [betaRad, lambdaRad] = astro::EquatorialToEcliptic(geometry.obliquityRad, place.raRad, place.decRad);
    const double earthX = -geometry.sunDistanceAu * std::cos(geometry.sunLongitudeRad);
    const double earthY = -geometry.sunDistanceAu * std::sin(geometry.sunLongitudeRad);
    const double px = std::cos(betaRad) * std::cos(lambdaRad) + sinK * earthX;
    const double py = std::cos(betaRad) * std::sin(lambdaRad) + sinK * earthY;
    const double pz = std::sin(betaRad);
    const double latitudeDeg = astro::RadiansToDegrees(std::atan2(pz, std::hypot(px, py)));
    const double longitudeDeg = astro::RadiansToDegrees(std::atan2(py, px));

    // The line's perihelion: latitude +i for omega 90, -i for 270;
    // longitude node + 90 or node - 90.
    const std::string line = testing::ClassicLineOf(object, date);
    const bool north = Field(line, kElementArgumentOfPerihelion) == " 90.0000";
    const double inclinationDeg = static_cast<double>(TextToFloat(Field(line, kElementInclination)));
    const double nodeDeg = static_cast<double>(TextToFloat(Field(line, kElementNode)));
    EXPECT_NEAR(north ? inclinationDeg : -inclinationDeg, latitudeDeg, 5.1e-5);
    const double lineLongitudeDeg = nodeDeg + (north ? 90.0 : -90.0);
    EXPECT_NEAR(std::remainder(lineLongitudeDeg - longitudeDeg, 360.0), 0.0, 1e-3);
    EXPECT_LE(inclinationDeg, 90.0);
    const double hRad = geometry.sunLongitudeRad - lambdaRad;
    return std::cos(betaRad) - geometry.sunDistanceAu * sinK * std::cos(hRad) <= 0;
}

// Near an ecliptic pole, on the Sun's side, the line must still place the
// pseudo-comet at its target.
TEST(ClassicElementLine, KeepsTargetsNextToAPoleAtTheirPole) {
    int sunSideCount = 0;
    // Around both poles (RA 18h / 6h, declination 90 - 23.4385 deg), at
    // distances up to 3 arc minutes, four right ascensions each.
    const struct {
        const char* ra;
        int sign;
    } poles[] = {{"18", +1}, {"06", -1}};
    for (const auto& pole : poles) {
        for (int offsetArcsec : {-180, -120, -60, -20, 0, 20, 60, 120, 180}) {
            for (int raSeconds : {0, 20, 40, 59}) {
                const double decDeg = 66.561505 + offsetArcsec / 3600.0;
                const int d = static_cast<int>(decDeg);
                const int m = static_cast<int>((decDeg - d) * 60);
                const double s = (decDeg - d - m / 60.0) * 3600;
                char dec[16], ra[16];
                std::snprintf(dec, sizeof dec, "%c%02d %02d %04.1f", pole.sign > 0 ? '+' : '-', d, m, s);
                std::snprintf(ra, sizeof ra, "%s %02d %05.2f", pole.ra, raSeconds, 0.0);
                if (ExpectLinePlacesTarget(ObjectLine("POLE", ra, dec, "10.0"), "15/01/2006")) ++sunSideCount;
            }
        }
    }
    EXPECT_GT(sunSideCount, 4) << "the sample must reach the region the classic formula gets wrong";
}

// On the ecliptic the hemisphere is decided once, for the node and the
// argument of perihelion together: a target there, and targets just north
// and south of it, stand where their line puts them.
TEST(ClassicElementLine, PlacesTargetsOnTheEclipticAndNextToIt) {
    const std::pair<const char*, const char*> rows[] = {
        {"00 00 00.00", "+00 00 00.0"},  // the equinox: latitude 0 before and after the parallax
        {"00 00 00.00", "-00 00 00.1"},  // a tenth of an arc second south
        {"00 00 00.00", "+00 00 00.1"}, {"12 00 00.00", "-00 00 00.0"},  // "-" before a zero is still zero
        {"12 00 00.00", "-00 00 00.1"},
    };
    for (const auto& [ra, dec] : rows) {
        for (const char* date : {"15/01/2006", "21/06/2026"}) ExpectLinePlacesTarget(ObjectLine("ECL", ra, dec), date);
    }
    ExpectLinePlacesTarget("STAR01    07 33 41.30  +67 32 14.8  12.5", "15/01/2006");
    ExpectLinePlacesTarget("SOUTH-02  12 30 00.00  -20 00 00.0   4.5", "15/01/2006");
}

}  // namespace
}  // namespace celestra
