#include "astro/umath.h"

#include <gtest/gtest.h>

#include <cmath>

#include "astro/constants.h"

namespace celestra::UMath {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Deg(double rad) { return RadiansToDegrees(rad); }

TEST(NormalizeAngle, ReducesByWholeTurns) {
    EXPECT_EQ(NormalizeAngle(kTwoPi), kTwoPi) << "a full turn stays";
    EXPECT_EQ(NormalizeAngle(0.0), 0.0);
    EXPECT_EQ(NormalizeAngle(-0.1), -0.1 + kTwoPi) << "one turn added, exactly";
    EXPECT_EQ(NormalizeAngle(7.0), 7.0 - kTwoPi);
    EXPECT_NEAR(NormalizeAngle(2 * kTwoPi + 1.0), 1.0, 1e-15);
    EXPECT_EQ(NormalizeAngle(2 * kTwoPi + 1.0), (2 * kTwoPi + 1.0) - kTwoPi - kTwoPi) << "two subtractions";
}

TEST(ArcSine, GivesTheAngleOfASine) {
    EXPECT_EQ(ArcSine(1.0), kHalfPi);
    EXPECT_EQ(ArcSine(-1.0), -kHalfPi);
    EXPECT_NEAR(ArcSine(0.5), kPi / 6, 1e-15);
    EXPECT_EQ(ArcSine(0.0), 0.0);
    // Past the poles only by rounding: the pole, never NaN.
    EXPECT_EQ(ArcSine(std::nextafter(1.0, 2.0)), kHalfPi);
    EXPECT_EQ(ArcSine(std::nextafter(-1.0, -2.0)), -kHalfPi);
}

struct EclipticRow {
    double raDeg, decDeg;
    double latitudeDeg, longitudeDeg;
    double toleranceDeg;
};

TEST(EquatorialToEcliptic, ConvertsByTable) {
    const double obliquityRad = DegreesToRadians(23.44);
    const EclipticRow rows[] = {
        {0, 0, 0, 0, 1e-12},         {90, 0, -23.44, 90, 1e-12},
        {180, 0, 0, 180, 1e-12},     {270, 0, 23.44, -90, 1e-12},           // east of pi comes back negative
        {0, 90, 66.56, 90, 1e-9},    {123, 90, 66.56, 90, 1e-9},            // any right ascension at the pole
        {0, -90, -66.56, -90, 1e-9}, {45, 30, 12.423967, 51.166703, 5e-7},  // to the digits printed
    };
    for (const EclipticRow& row : rows) {
        SCOPED_TRACE(testing::Message() << row.raDeg << " " << row.decDeg);
        const auto [latitudeRad, longitudeRad] =
            EquatorialToEcliptic(obliquityRad, DegreesToRadians(row.raDeg), DegreesToRadians(row.decDeg));
        EXPECT_NEAR(Deg(latitudeRad), row.latitudeDeg, row.toleranceDeg);
        EXPECT_NEAR(Deg(longitudeRad), row.longitudeDeg, row.toleranceDeg);
    }
}

struct SunRow {
    double dayCount;
    double longitudeDeg, distanceAu, obliquityDeg;
};

// To the digits printed: half a unit of the last decimal of each figure.
TEST(SunPosition, MatchesTheWorkedValues) {
    const SunRow rows[] = {
        {38732, 294.693042, 0.98361090, 23.4384945},   // 2006-01-15
        {0, 278.112172, 0.98328005, 23.4522945},       // mean longitude made negative
        {82, 0.924150, 0.99672509, NAN},               // 1900-03-22, still negative
        {83, 1.915781, 0.99701566, NAN},               // 1900-03-23, one step
        {-36522, 280.436958, 0.98322802, 23.4653038},  // 1800-01-01
    };
    for (const SunRow& row : rows) {
        SCOPED_TRACE(row.dayCount);
        const auto [longitudeRad, distanceAu] = SunPosition(row.dayCount);
        EXPECT_NEAR(Deg(longitudeRad), row.longitudeDeg, 5e-7);
        EXPECT_NEAR(distanceAu, row.distanceAu, 5e-9);
        if (!std::isnan(row.obliquityDeg)) {
            EXPECT_NEAR(Deg(Obliquity(row.dayCount)), row.obliquityDeg, 5e-8);
        }
    }
}

TEST(SunPosition, KeepsTheLongitudeWithinOneTurn) {
    for (double dayCount = -36522; dayCount <= 73000; dayCount += 97.3) {
        const double longitudeRad = SunPosition(dayCount).first;
        ASSERT_GE(longitudeRad, 0.0) << dayCount;
        ASSERT_LE(longitudeRad, kTwoPi) << dayCount;
    }
}

}  // namespace
}  // namespace celestra::UMath
