// Both placements judged by ERFA's Earth (the IAU's standard routines) and a
// two-body orbit of the written elements, targets over the whole sky and
// days from 1990 to 2040.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "core/precise_comet.h"
#include "core/pseudo_comet.h"
#include "erfa_judge.h"
#include "text/dates.h"

namespace celestra {
namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(PreciseAgainstErfa, StaysWithinHalfAnArcsecondFrom1990To2040) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    double worstPrecise = 0, worstClassic2026 = 0;
    for (int i = 0; i < 1000; ++i) {
        ObjectPlace object;
        object.designation = "T       ";
        object.raRad = 2 * kPi * unit(random);
        object.decRad = std::asin(2 * unit(random) - 1);
        object.magnitude = -1.5 + 26.5 * unit(random);
        const int year = 1990 + i % 51;
        const double dayCount = DayNumber({year, 1, 1}) + std::floor(365 * unit(random));
        const std::string date = DateToText(dayCount);

        const auto precise =
            judge::JudgeLine(PreciseElementLine(object, PreciseDateOf(date)), dayCount, object.raRad, object.decRad);
        ASSERT_LT(precise.separationArcsec, 0.5) << date;
        ASSERT_LT(std::fabs(precise.predictedMagnitude - object.magnitude), 0.05) << object.magnitude;
        worstPrecise = std::max(worstPrecise, precise.separationArcsec);
        if (year == 2026) {
            const auto classic = judge::JudgeLine(ElementLine(object, date, GeometryOfDate(date)), dayCount,
                                                  object.raRad, object.decRad);
            worstClassic2026 = std::max(worstClassic2026, classic.separationArcsec);
        }
    }
    std::printf("[ erfa     ] precise worst %.3f\", classic worst in 2026 %.2f\"\n", worstPrecise, worstClassic2026);
    // What the precise mode is for: the classic lines miss by far more.
    EXPECT_GT(worstClassic2026, 5.0);
}

}  // namespace
}  // namespace celestra
