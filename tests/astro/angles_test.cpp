#include "astro/angles.h"

#include <gtest/gtest.h>

#include <cmath>

#include "astro/constants.h"

namespace celestra::astro {
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

}  // namespace
}  // namespace celestra::astro
