#include "core/object_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "astro/angles.h"
#include "astro/sun.h"
#include "support/run_support.h"
#include "support/temp_dir.h"
#include "text/conventions.h"
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
    EXPECT_NEAR(astro::RadiansToDegrees(star.raRad), 113.42208333333, 1e-10);
    EXPECT_NEAR(astro::RadiansToDegrees(star.decRad), 67.53744444444, 1e-10);
    EXPECT_DOUBLE_EQ(star.magnitude, 12.5);

    // The sign applies to the whole declination; any other character leaves
    // it positive.
    const std::pair<const char*, double> signs[] = {{"-00 30 00.0", -0.5}, {" 00 30 00.0", 0.5}, {"+00 30 00.0", 0.5}};
    for (const auto& [dec, decDeg] : signs) {
        const ObjectPlace place = ReadObjectPlace(testing::ObjectLine("D", "00 00 00.00", dec, "1.0"));
        EXPECT_DOUBLE_EQ(astro::RadiansToDegrees(place.decRad), decDeg) << dec;
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

// Fields of blanks, digits and one separator are read straight from their
// digits; a sign sends the same number through the general conversions.
// Both must give the same place, bit for bit, and the same verdict.
TEST(ObjectLine, PlainFieldsReadAsTheGeneralConversionsDo) {
    const struct {
        const ObjectField& field;
        const char* plain;
        const char* signedText;  // the same number, with a sign
        char separator;
    } rows[] = {
        {kRaHoursField, "07", "+7", '.'},         {kRaHoursField, " 7", "+7", '.'},
        {kRaMinutesField, "09", "+9", '.'},       {kRaSecondsField, "41.30", "+41.3", '.'},
        {kRaSecondsField, "41.  ", "+41.0", '.'}, {kRaSecondsField, "41   ", "+41.0", '.'},
        {kRaSecondsField, "05   ", "+5.00", '.'}, {kRaSecondsField, "41,30", "+41,3", ','},
        {kDecSecondsField, "04.8", "+4.8", '.'},  {kDecSecondsField, "00.1", "+0.1", '.'},
        {kMagnitudeField, " 5.0", "+5", '.'},     {kMagnitudeField, "  .5", "+0.5", '.'},
        {kMagnitudeField, "5   ", "+5.0", '.'},   {kMagnitudeField, "2,50", "+2,5", ','},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("'") + row.plain + "' against '" + row.signedText + "'");
        TextConventions conventions;
        conventions.decimalSeparator = row.separator;
        testing::ScopedConventions scoped(conventions);
        std::string plainLine = row.separator == '.' ? kExample : "STAR01    07 33 41,30  +67 32 14,8  12,5";
        std::string signedLine = plainLine;
        PutField(plainLine, row.field, row.plain);
        PutField(signedLine, row.field, row.signedText);
        ASSERT_EQ(ClassifyObjectLine(plainLine), ObjectLineKind::kAccepted);
        ASSERT_EQ(ClassifyObjectLine(signedLine), ObjectLineKind::kAccepted);
        const ObjectPlace plain = ReadObjectPlace(plainLine);
        const ObjectPlace general = ReadObjectPlace(signedLine);
        EXPECT_EQ(plain.raRad, general.raRad);  // exact: same digits, same rounding
        EXPECT_EQ(plain.decRad, general.decRad);
        EXPECT_EQ(plain.magnitude, general.magnitude);
    }

    // Shapes the plain reading leaves to the general one, with its verdicts
    // and messages.
    const struct {
        const ObjectField& field;
        const char* text;
        ObjectLineKind kind;
        const char* message;       // of the conversion; none when it reads
        const char* refusal = "";  // the reader's where and why, for a malformed line
    } others[] = {
        {kRaMinutesField, "3 ", ObjectLineKind::kAccepted, "'3 ' is not a valid integer value"},
        {kRaMinutesField, "  ", ObjectLineKind::kMalformed, "'  ' is not a valid integer value",
         "columnas 14-15: '  ' no es un número"},
        {kRaSecondsField, "11.2.", ObjectLineKind::kMalformed, "'11.2.' is not a valid floating point value",
         "columnas 17-21: '11.2.' no es un número"},
        {kRaSecondsField, "41 .3", ObjectLineKind::kMalformed, "'41 .3' is not a valid floating point value",
         "columnas 17-21: '41 .3' no es un número"},
        {kMagnitudeField, "  . ", ObjectLineKind::kAccepted, nullptr},
        {kMagnitudeField, "1e1 ", ObjectLineKind::kAccepted, nullptr},
        {kMagnitudeField, "5,0 ", ObjectLineKind::kMalformed, "'5,0 ' is not a valid floating point value",
         "columnas 37-40: '5,0 ' no es un número"},
    };
    for (const auto& row : others) {
        SCOPED_TRACE(std::string("'") + row.text + "'");
        std::string line = kExample;
        PutField(line, row.field, row.text);
        ListedObject listed;
        std::string refusal;
        EXPECT_EQ(ReadObjectLine(line, listed, &refusal), row.kind);
        EXPECT_EQ(refusal, row.refusal);
        if (row.message == nullptr) {
            EXPECT_NO_THROW(ReadObjectPlace(line));
        } else {
            EXPECT_THAT([&] { ReadObjectPlace(line); }, ThrowsMessage<ConversionError>(row.message));
        }
    }
}

TEST(ObjectLine, PutFieldAlignsNumbersRightAndTheDesignationLeft) {
    std::string line;
    PutField(line, kMagnitudeField, "9.5");
    EXPECT_EQ(line, std::string(36, ' ') + " 9.5");
    PutField(line, kDesignationField, "AB");
    EXPECT_EQ(FieldText(line, kDesignationField), "AB      ");
    PutField(line, kDesignationField, "LONGER-THAN-8");
    EXPECT_EQ(FieldText(line, kDesignationField), "LONGER-T");
    EXPECT_EQ(DesignationKey(FieldText("  AB    07 33 41.30", kDesignationField)), "AB");
}

// The keyed values after column 40: what counts as one, what each gives, and
// what makes the line malformed. Free text that only resembles them stays
// free text, so lists written before keep their meaning.
TEST(ObjectLine, ReadsTheKeyedValuesOfTheFreeText) {
    constexpr double kNone = NAN;  // no motion at all
    const struct {
        const char* tail;  // after column 40
        ObjectLineKind kind;
        double pmRa, pmDec, epoch, parallax, radialVelocity;
        const char* refusal = "";  // where and why, for a malformed line
    } rows[] = {
        {"", ObjectLineKind::kAccepted, kNone, 0, 0, 0, 0},
        {" HD 12345 V=9.8 PM=1,2 Pm=3 pmra=3 xpm=1,2 note:rv=4 ep plx", ObjectLineKind::kAccepted, kNone, 0, 0, 0, 0},
        {" pm=-801.551,10362.394 ep=2016.0 plx=546.976 rv=-110.6", ObjectLineKind::kAccepted, -801.551, 10362.394,
         2016.0, 546.976, -110.6},
        {"pm=1,2", ObjectLineKind::kAccepted, 1, 2, 2000.0, 0, 0},
        {"\tGaia\tep=J1991.25\t", ObjectLineKind::kAccepted, 0, 0, 1991.25, 0, 0},
        {" rv=12 plx=-0.5 comment", ObjectLineKind::kAccepted, 0, 0, 2000.0, -0.5, 12},
        {" pm=+1e2,-.5", ObjectLineKind::kAccepted, 100, -0.5, 2000.0, 0, 0},
        // A non-breaking space separates words, in UTF-8 and in Windows-1252;
        // the same byte inside a UTF-8 letter ("\xC3\xA0" is "a" with a grave
        // accent) does not.
        {"\xC2\xA0pm=1,2\xC2\xA0plx=3", ObjectLineKind::kAccepted, 1, 2, 2000.0, 3, 0},
        {" x\xA0pm=3,4", ObjectLineKind::kAccepted, 3, 4, 2000.0, 0, 0},
        {" \xC3\xA0pm=1,2", ObjectLineKind::kAccepted, kNone, 0, 0, 0, 0},
        {" pm=1", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-45: 'pm=1' no se lee como pm=<valor>"},
        {" pm=1,", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-46: 'pm=1,' no se lee como pm=<valor>"},
        {" pm=1,2,3", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0,
         "columnas 42-49: 'pm=1,2,3' no se lee como pm=<valor>"},
        {" pm=1,2 pm=1,2", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 49-54: 'pm=' dado dos veces"},
        {" pm=1;2", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-47: 'pm=1;2' no se lee como pm=<valor>"},
        {" pm= 1,2", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-44: 'pm=' no se lee como pm=<valor>"},
        {" pm =1,2", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-48: 'pm =1,2' no se lee como pm=<valor>"},
        {" pm = 1,2", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-45: 'pm =' no se lee como pm=<valor>"},
        {" pm:1,2", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-47: 'pm:1,2' no se lee como pm=<valor>"},
        {" plx=5 mas", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0,
         "columnas 42-50: 'plx=5 mas' no se lee como plx=<valor>"},
        {" pm=100001,0", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-52: movimiento propio fuera de rango"},
        {" ep=16", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-46: época fuera de rango"},
        {" ep=2016.0y", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0,
         "columnas 42-51: 'ep=2016.0y' no se lee como ep=<valor>"},
        {" ep=B1950", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0,
         "columnas 42-49: 'ep=B1950' no se lee como ep=<valor>"},
        {" plx=1e5", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-48: paralaje fuera de rango"},
        {" rv=nan", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-47: 'rv=nan' no se lee como rv=<valor>"},
        {" rv=", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-44: 'rv=' no se lee como rv=<valor>"},
        {" rv=20000", ObjectLineKind::kMalformed, 0, 0, 0, 0, 0, "columnas 42-49: velocidad radial fuera de rango"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("'") + row.tail + "'");
        const std::string line = kExample + row.tail;
        ListedObject listed;
        std::string refusal;
        ASSERT_EQ(ReadObjectLine(line, listed, &refusal), row.kind);
        if (row.kind == ObjectLineKind::kMalformed) {
            EXPECT_EQ(refusal, row.refusal);
            EXPECT_THAT([&] { ReadObjectPlace(line); }, ThrowsMessage<ConversionError>(row.refusal));
            continue;
        }
        EXPECT_EQ(listed.place.designation, "STAR01  ");
        if (std::isnan(row.pmRa)) {
            EXPECT_FALSE(listed.place.motion);
            continue;
        }
        ASSERT_TRUE(listed.place.motion);
        const CatalogueMotion& motion = *listed.place.motion;
        // Exactly as the text reads: no tolerance.
        EXPECT_EQ(motion.pmRaCosDecMasPerYear, row.pmRa);
        EXPECT_EQ(motion.pmDecMasPerYear, row.pmDec);
        EXPECT_EQ(motion.epochJulianYear, row.epoch);
        EXPECT_EQ(motion.parallaxMas, row.parallax);
        EXPECT_EQ(motion.radialVelocityKmPerS, row.radialVelocity);
    }
}

}  // namespace
}  // namespace celestra
