#include "core/object_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "astro/umath.h"
#include "support/run_support.h"
#include "text/errors.h"

namespace celestra {
namespace {

using ::testing::ThrowsMessage;

// The README's example line and, under it, what each of its columns is:
// D designation, N a numeric field, T a numeric column that must hold a
// digit for the line to count, S the sign, . no field.
const std::string kExample = "STAR01    07 33 41.30  +67 32 14.8  12.5";
const std::string kRoles = "DDDDDDDD..NT.NN.NTNNN..SNT.NN.NTNN..NNNN";

// Every column spoiled in turn: the reader's verdict and the conversion must
// follow the layout above, so a field narrowed, widened or moved by one
// column shows here.
TEST(ObjectLine, EachColumnCountsAsTheLayoutSays) {
    ASSERT_EQ(kRoles.size(), kObjectLineLength);
    ASSERT_EQ(ClassifyObjectLine(kExample), ObjectLineKind::kAccepted);
    for (std::size_t i = 0; i < kRoles.size(); ++i) {
        std::string line = kExample;
        line[i] = 'z';  // no digit, and no hexadecimal mark either ("x7" reads as an integer)
        SCOPED_TRACE("column " + std::to_string(i + 1) + ": " + line);
        switch (kRoles[i]) {
            case '.':
            case 'D':
                EXPECT_EQ(ClassifyObjectLine(line), ObjectLineKind::kAccepted);
                EXPECT_NO_THROW(ReadObjectPlace(line));
                break;
            case 'T': EXPECT_EQ(ClassifyObjectLine(line), ObjectLineKind::kSkipped); break;
            case 'S': EXPECT_EQ(ClassifyObjectLine(line), ObjectLineKind::kMalformed); break;
            case 'N':
                EXPECT_EQ(ClassifyObjectLine(line), ObjectLineKind::kMalformed);
                EXPECT_THROW(ReadObjectPlace(line), ConversionError);
                break;
        }
    }
}

TEST(ObjectLine, ConvertsEachFieldByItsKind) {
    const ObjectPlace star = ReadObjectPlace(kExample);
    EXPECT_EQ(star.designation, "STAR01  ");
    // 07h 33m 41.30s = 113.4220833 deg; +67 32' 14.8" = 67.5374444 deg.
    EXPECT_NEAR(UMath::RadiansToDegrees(star.raRad), 113.42208333333, 1e-10);
    EXPECT_NEAR(UMath::RadiansToDegrees(star.decRad), 67.53744444444, 1e-10);
    EXPECT_DOUBLE_EQ(star.magnitude, 12.5);

    // The sign applies to the whole declination; any other character leaves
    // it positive.
    const std::pair<const char*, double> signs[] = {{"-00 30 00.0", -0.5}, {" 00 30 00.0", 0.5}, {"+00 30 00.0", 0.5}};
    for (const auto& [dec, decDeg] : signs) {
        const ObjectPlace place = ReadObjectPlace(testing::ObjectLine("D", "00 00 00.00", dec, "1.0"));
        EXPECT_DOUBLE_EQ(UMath::RadiansToDegrees(place.decRad), decDeg) << dec;
    }

    // Integer fields take no decimals, though the reader's check lets them
    // through: the conversion names the field's text.
    const std::string minutesWithPoint = testing::ObjectLine("M", "07 3. 41.30");
    EXPECT_EQ(ClassifyObjectLine(minutesWithPoint), ObjectLineKind::kAccepted);
    EXPECT_THAT([&] { ReadObjectPlace(minutesWithPoint); },
                ThrowsMessage<ConversionError>("'3.' is not a valid integer value"));
    EXPECT_THAT([] { ReadObjectPlace(testing::ObjectLine("M", "07 33 41.30", "+67 32 1 .8")); },
                ThrowsMessage<ConversionError>("'1 .8' is not a valid floating point value"));
}

TEST(ObjectLine, PutFieldAlignsNumbersRightAndTheDesignationLeft) {
    std::string line;
    PutField(line, kMagnitudeField, "9.5");
    EXPECT_EQ(line, std::string(36, ' ') + " 9.5");
    PutField(line, kDesignationField, "AB");
    EXPECT_EQ(FieldText(line, kDesignationField), "AB      ");
    PutField(line, kDesignationField, "LONGER-THAN-8");
    EXPECT_EQ(FieldText(line, kDesignationField), "LONGER-T");
    EXPECT_EQ(ObjectKey("  AB    07 33 41.30"), "AB");
}

}  // namespace
}  // namespace celestra
