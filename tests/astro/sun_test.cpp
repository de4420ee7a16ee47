#include "astro/sun.h"

#include <gtest/gtest.h>

#include <cmath>

#include "astro/angles.h"
#include "astro/constants.h"

namespace celestra::astro {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Deg(double rad) { return RadiansToDegrees(rad); }

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
}  // namespace celestra::astro
