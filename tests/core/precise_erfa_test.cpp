// Both placements judged by ERFA's Earth (the IAU's standard routines) and a
// two-body orbit of the written elements: targets over the whole sky and at
// both ecliptic and both celestial poles, days from 1901 to 2099, instants
// through the night around 0h.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/precise_comet.h"
#include "core/pseudo_comet.h"
#include "erfa_judge.h"
#include "text/dates.h"

namespace celestra {
namespace {

// Hours from 0h of the date at which every line is judged.
constexpr double kOffsetsHours[] = {-12, -6, -3, 0, 3, 6, 12};

TEST(PreciseAgainstErfa, StaysWithinFiveHundredthsOfAnArcsecondThroughTheNight) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    const std::vector<ObjectPlace> targets = judge::SkyTargets(random, 300, {0.0, 0.3, 5.0});
    double worstPrecise = 0, worstMagnitude = 0, worstClassic2026 = 0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        ObjectPlace object = targets[i];
        object.designation = "T       ";
        object.magnitude = -1.5 + 26.5 * unit(random);
        const int year = 1901 + static_cast<int>(i % 199);
        const double dayCount = DayNumber({year, 1, 1}) + std::floor(365 * unit(random));
        const std::string date = DateToText(dayCount);
        const std::string line = PreciseElementLine(object, PreciseDateOf(date));
        for (const double hours : kOffsetsHours) {
            const auto judged = judge::JudgeLine(line, dayCount, object.raRad, object.decRad, hours);
            ASSERT_LT(judged.separationArcsec, 0.05) << date << " " << hours << " h\n" << line;
            worstPrecise = std::max(worstPrecise, judged.separationArcsec);
            worstMagnitude = std::max(worstMagnitude, std::fabs(judged.predictedMagnitude - object.magnitude));
        }
        if (i % 10 == 0) {
            const auto classic = judge::JudgeLine(ClassicElementLine(object, GeometryOfDate(date)),
                                                  DayNumber({2026, 6, 1}), object.raRad, object.decRad);
            worstClassic2026 = std::max(worstClassic2026, classic.separationArcsec);
        }
    }
    std::printf("[ erfa     ] %zu targets x %zu instants: precise worst %.4f\", magnitude worst %.4f\n", targets.size(),
                std::size(kOffsetsHours), worstPrecise, worstMagnitude);
    EXPECT_LT(worstMagnitude, 0.05);
    // What the precise mode is for: the classic lines miss by far more.
    EXPECT_GT(worstClassic2026, 5.0);
}

}  // namespace
}  // namespace celestra
