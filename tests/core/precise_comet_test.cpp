// The precise lines judged by what an astrometry program does with them:
// the columns read back, the circular orbit solved for the moment whose
// light reaches the Earth at 0h, the Earth from the same solar series.
#include "core/precise_comet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "astro/angles.h"
#include "astro/sun.h"
#include "core/element_line.h"
#include "core/processing_run.h"
#include "core/pseudo_comet.h"
#include "support/run_support.h"
#include "text/dates.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180;
constexpr double kArcsec = kDeg / 3600;

struct Elements {
    double perihelionDayCount, q, omegaDeg, nodeDeg, inclinationDeg, h, slope;
};

Elements ReadLine(const std::string& line) {
    Elements e{};
    const ElementNumbers numbers = ReadElementLine(line);
    e.perihelionDayCount = DayNumber({numbers.perihelionYear, numbers.perihelionMonth, 1}) + numbers.perihelionDay - 1;
    e.q = numbers.perihelionDistanceAu;
    e.omegaDeg = numbers.argumentOfPerihelionDeg;
    e.nodeDeg = numbers.nodeDeg;
    e.inclinationDeg = numbers.inclinationDeg;
    e.h = numbers.absoluteMagnitude;
    e.slope = numbers.slope;
    return e;
}

// Heliocentric position on the circular orbit at a day count (AU, J2000.0
// ecliptic): argument of latitude omega + n (t - T).
void Position(const Elements& e, double dayCount, double out[3]) {
    const double motion = 0.01720209895 / std::pow(e.q, 1.5);
    const double u = e.omegaDeg * kDeg + motion * (dayCount - e.perihelionDayCount);
    const double node = e.nodeDeg * kDeg, incl = e.inclinationDeg * kDeg;
    out[0] = e.q * (std::cos(node) * std::cos(u) - std::sin(node) * std::sin(u) * std::cos(incl));
    out[1] = e.q * (std::sin(node) * std::cos(u) + std::cos(node) * std::sin(u) * std::cos(incl));
    out[2] = e.q * std::sin(u) * std::sin(incl);
}

TEST(PreciseElementLine, PutsTargetsOnTheirPlaceWithTheirMagnitude) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0, 1);
    const double obliquity = 84381.448 * kArcsec;  // the IAU 1976 obliquity of J2000.0, as published elements use
    double worstArcsec = 0, worstMagnitude = 0;
    for (int i = 0; i < 400; ++i) {
        // A target anywhere on the sky, a magnitude from -1.5 to 25, a day
        // from 1990 to 2040.
        ObjectPlace object;
        object.designation = "T" + std::to_string(i);
        object.designation.resize(8, ' ');
        object.raRad = 2 * kPi * unit(random);
        object.decRad = std::asin(2 * unit(random) - 1);
        object.magnitude = -1.5 + 26.5 * unit(random);
        const double dayCount = DayNumber({1990, 1, 1}) + std::floor(unit(random) * 18262);
        const Elements e = ReadLine(testing::LineOf(object, DateToText(dayCount), Computation::kPrecise));
        double earthAu[3];
        astro::EarthJ2000(dayCount, earthAu);

        // Light time: where the body stood when the light left it.
        double body[3], geo[3];
        double emission = dayCount;
        for (int k = 0; k < 4; ++k) {
            Position(e, emission, body);
            for (int c = 0; c < 3; ++c) geo[c] = body[c] - earthAu[c];
            emission = dayCount - std::sqrt(geo[0] * geo[0] + geo[1] * geo[1] + geo[2] * geo[2]) / 173.1446326846693;
        }
        const double distance = std::sqrt(geo[0] * geo[0] + geo[1] * geo[1] + geo[2] * geo[2]);
        // The catalogue direction in the same frame.
        const double x = std::cos(object.decRad) * std::cos(object.raRad);
        const double y = std::cos(object.decRad) * std::sin(object.raRad);
        const double z = std::sin(object.decRad);
        const double target[3] = {x, std::cos(obliquity) * y + std::sin(obliquity) * z,
                                  -std::sin(obliquity) * y + std::cos(obliquity) * z};
        const double cross[3] = {geo[1] * target[2] - geo[2] * target[1], geo[2] * target[0] - geo[0] * target[2],
                                 geo[0] * target[1] - geo[1] * target[0]};
        const double dot = geo[0] * target[0] + geo[1] * target[1] + geo[2] * target[2];
        const double separationArcsec = std::atan2(std::hypot(cross[0], cross[1], cross[2]), dot) / kArcsec;
        const double predicted = e.h + 5 * std::log10(distance) + 2.5 * e.slope * std::log10(e.q);

        worstArcsec = std::max(worstArcsec, separationArcsec);
        worstMagnitude = std::max(worstMagnitude, std::fabs(predicted - object.magnitude));
        // Only the written angles' rounding is left, taken up all but this.
        ASSERT_LT(separationArcsec, 0.0015) << "target " << i << " on day " << dayCount;
        ASSERT_LE(std::fabs(predicted - object.magnitude), 0.026) << object.magnitude;
        ASSERT_GE(e.h, -9.9);
    }
    std::printf("[ precise  ] worst of 400: %.4f arcsec, %.4f mag\n", worstArcsec, worstMagnitude);
}

TEST(PreciseElementLine, KeepsTheColumnsAndTheDesignationKey) {
    const ObjectPlace star = ReadObjectPlace(testing::ObjectLine("STAR01"));
    const std::string precise = testing::LineOf(star, "15/01/2006", Computation::kPrecise);
    const std::string classic = testing::ClassicLineOf(testing::ObjectLine("STAR01"), "15/01/2006");
    ASSERT_EQ(precise.size(), classic.size());
    for (const ElementField& field : {kElementDesignation, kElementEccentricity, kElementDesignationKey}) {
        EXPECT_EQ(ElementFieldText(precise, field), ElementFieldText(classic, field)) << field.firstColumn;
    }
    // q in columns 31-39, column 30 blank; the angles within their columns'
    // ranges, so that no field pushes the next one along.
    EXPECT_EQ(ElementFieldText(precise, kElementPerihelionDistance), " 99999.999");
    const ElementNumbers numbers = ReadElementLine(precise);
    EXPECT_GE(numbers.argumentOfPerihelionDeg, 0.0);
    EXPECT_LT(numbers.argumentOfPerihelionDeg, 360.0);
    EXPECT_LT(numbers.nodeDeg, 360.0);
    EXPECT_LE(numbers.inclinationDeg, 90.0);
    EXPECT_EQ(precise[kElementInclination.firstColumn - 2], ' ');
}

}  // namespace
}  // namespace celestra
