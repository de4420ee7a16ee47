// Measures both placements against the independent judge: 1,200 targets
// spread over the sky and 12 at both ecliptic and both celestial poles, on
// days from 1901 to 2099, each judged at instants from 12 hours before to 12
// hours after 0h of its date. Prints Markdown tables by period and by
// instant, and writes SVG plots of the separations against the year and
// against the hour.
//   celestra_accuracy [YEARS.svg [NIGHT.svg]]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/precise_comet.h"
#include "core/pseudo_comet.h"
#include "erfa_judge.h"
#include "text/dates.h"

namespace {

using namespace celestra;

constexpr int kRandomTargets = 1200;
constexpr int kFirstYear = 1901, kLastYear = 2099, kYearsPerPeriod = 20;
constexpr double kOffsetsHours[] = {-12, -6, -3, 0, 3, 6, 12};

struct Stats {
    double median, max;
};

Stats Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

// A polyline of one series on a log scale from 0.001" to 100".
std::string Polyline(const std::vector<Stats>& stats, double Stats::*field, const char* colour, const char* dash) {
    std::string points;
    for (std::size_t i = 0; i < stats.size(); ++i) {
        const double x = 80 + 560.0 * static_cast<double>(i) / static_cast<double>(stats.size() - 1);
        const double y = 40 + 300 * (2 - std::log10(std::max(stats[i].*field, 0.001))) / 5;
        points += std::to_string(x) + "," + std::to_string(y) + " ";
    }
    return "<polyline fill='none' stroke='" + std::string(colour) + "' stroke-width='2' stroke-dasharray='" + dash +
           "' points='" + points + "'/>\n";
}

// An SVG plot of the median and maximum of both placements, one point per
// label along x.
void WritePlot(const char* path, const char* what, const char* xAxis, const std::vector<std::string>& labels,
               const std::vector<Stats>& classic, const std::vector<Stats>& precise) {
    std::ofstream svg(path);
    svg << "<svg xmlns='http://www.w3.org/2000/svg' width='700' height='400' font-family='sans-serif' "
           "font-size='12'>\n"
           "<rect width='700' height='400' fill='white'/>\n";
    for (int decade = -3; decade <= 2; ++decade) {
        const double y = 40 + 300 * (2 - decade) / 5.0;
        svg << "<line x1='80' x2='640' y1='" << y << "' y2='" << y << "' stroke='#ddd'/>"
            << "<text x='75' y='" << y + 4 << "' text-anchor='end'>" << std::pow(10.0, decade) << "\"</text>\n";
    }
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const double x = 80 + 560.0 * static_cast<double>(i) / static_cast<double>(labels.size() - 1);
        svg << "<text x='" << x << "' y='360' text-anchor='middle'>" << labels[i] << "</text>\n";
    }
    const double limitY = 40 + 300 * (2 - std::log10(0.05)) / 5;
    svg << "<line x1='80' x2='640' y1='" << limitY << "' y2='" << limitY
        << "' stroke='#555' stroke-dasharray='2,3'/><text x='645' y='" << limitY + 4 << "'>0.05\"</text>\n"
        << Polyline(classic, &Stats::median, "#c0392b", "none") << Polyline(classic, &Stats::max, "#c0392b", "5,4")
        << Polyline(precise, &Stats::median, "#2471a3", "none") << Polyline(precise, &Stats::max, "#2471a3", "5,4")
        << "<text x='360' y='22' text-anchor='middle' font-size='14'>Separation of the pseudo-comet from its "
           "target, "
        << what << " (log scale)</text>\n"
        << "<text x='90' y='62' fill='#c0392b'>classic lines: median (solid), maximum (dashed)</text>\n"
        << "<text x='90' y='325' fill='#2471a3'>precise lines: median (solid), maximum (dashed)</text>\n"
        << "<text x='360' y='385' text-anchor='middle'>" << xAxis << "</text>\n</svg>\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> unit(0, 1);
    const std::vector<ObjectPlace> targets = judge::SkyTargets(random, kRandomTargets, {0.0, 0.5, 5.0});

    constexpr std::size_t kPeriods = (kLastYear - kFirstYear + kYearsPerPeriod) / kYearsPerPeriod;
    constexpr std::size_t kOffsets = std::size(kOffsetsHours);
    std::vector<std::vector<double>> classicByPeriod(kPeriods), preciseByPeriod(kPeriods);
    std::vector<std::vector<double>> classicByOffset(kOffsets), preciseByOffset(kOffsets);
    double worstMagnitude = 0;
    std::vector<double> preciseIau2006;  // the precise lines as a reader of the other ecliptic sees them
    for (std::size_t i = 0; i < targets.size(); ++i) {
        ObjectPlace object = targets[i];
        object.designation = "T       ";
        object.magnitude = -1.5 + 26.5 * unit(random);
        const int year = kFirstYear + static_cast<int>(i % (kLastYear - kFirstYear + 1));
        const double dayCount = DayNumber({year, 1, 1}) + std::floor(365 * unit(random));
        const std::string dateText = DateToText(dayCount);
        const std::string classicLine = ClassicElementLine(object, GeometryOfDate(dateText));
        const std::string preciseLine = PreciseElementLine(object, PreciseDateOf(dateText));
        const auto period = static_cast<std::size_t>((year - kFirstYear) / kYearsPerPeriod);
        for (std::size_t o = 0; o < kOffsets; ++o) {
            const double hours = kOffsetsHours[o];
            const double classic =
                judge::JudgeLine(classicLine, dayCount, object.raRad, object.decRad, hours).separationArcsec;
            const auto precise = judge::JudgeLine(preciseLine, dayCount, object.raRad, object.decRad, hours);
            preciseIau2006.push_back(
                judge::JudgeLine(preciseLine, dayCount, object.raRad, object.decRad, hours, true).separationArcsec);
            classicByPeriod[period].push_back(classic);
            preciseByPeriod[period].push_back(precise.separationArcsec);
            classicByOffset[o].push_back(classic);
            preciseByOffset[o].push_back(precise.separationArcsec);
            worstMagnitude = std::max(worstMagnitude, std::fabs(precise.predictedMagnitude - object.magnitude));
        }
    }

    std::printf("%zu targets (%d at the poles), each at %zu instants from -12 h to +12 h\n\n", targets.size(),
                static_cast<int>(targets.size()) - kRandomTargets, kOffsets);
    std::printf("| years | classic median | classic max | precise median | precise max |\n|---|---|---|---|---|\n");
    std::vector<Stats> classicStats, preciseStats;
    std::vector<double> allClassic, allPrecise;
    for (std::size_t period = 0; period < kPeriods; ++period) {
        const int first = kFirstYear + static_cast<int>(period) * kYearsPerPeriod;
        const int last = std::min(kLastYear, first + kYearsPerPeriod - 1);
        const Stats c = Summarise(classicByPeriod[period]), p = Summarise(preciseByPeriod[period]);
        classicStats.push_back(c);
        preciseStats.push_back(p);
        allClassic.insert(allClassic.end(), classicByPeriod[period].begin(), classicByPeriod[period].end());
        allPrecise.insert(allPrecise.end(), preciseByPeriod[period].begin(), preciseByPeriod[period].end());
        std::printf("| %d-%d | %.2f\" | %.2f\" | %.4f\" | %.4f\" |\n", first, last, c.median, c.max, p.median, p.max);
    }
    const Stats c = Summarise(allClassic), p = Summarise(allPrecise);
    std::printf("| all | %.2f\" | %.2f\" | %.4f\" | %.4f\" |\n\n", c.median, c.max, p.median, p.max);

    std::printf("| hours from 0h | classic median | classic max | precise median | precise max |\n");
    std::printf("|---|---|---|---|---|\n");
    for (std::size_t o = 0; o < kOffsets; ++o) {
        const Stats co = Summarise(classicByOffset[o]), po = Summarise(preciseByOffset[o]);
        std::printf("| %+.0f | %.2f\" | %.2f\" | %.4f\" | %.4f\" |\n", kOffsetsHours[o], co.median, co.max, po.median,
                    po.max);
    }
    std::printf("\nprecise magnitude: worst %.4f mag from the catalogue magnitude\n", worstMagnitude);
    const Stats other = Summarise(preciseIau2006);
    std::printf("precise, read in the ecliptic of the IAU 2006 obliquity (84381.406\"): median %.4f\", max %.4f\"\n",
                other.median, other.max);

    if (argc > 1) {
        std::vector<std::string> periodLabels;
        for (std::size_t period = 0; period < kPeriods; ++period) {
            periodLabels.push_back(
                period % 2 == 0 ? std::to_string(kFirstYear + static_cast<int>(period) * kYearsPerPeriod) : "");
        }
        WritePlot(argv[1], "from -12 h to +12 h around 0h, by year", "year of the observation date", periodLabels,
                  classicStats, preciseStats);
    }
    if (argc > 2) {
        std::vector<std::string> offsetLabels;
        std::vector<Stats> classicOffsets, preciseOffsets;
        for (std::size_t o = 0; o < kOffsets; ++o) {
            char label[16];
            std::snprintf(label, sizeof label, "%+.0f h", kOffsetsHours[o]);
            offsetLabels.push_back(label);
            classicOffsets.push_back(Summarise(classicByOffset[o]));
            preciseOffsets.push_back(Summarise(preciseByOffset[o]));
        }
        WritePlot(argv[2], "through the night, 1901-2099", "hours from 0h of the observation date", offsetLabels,
                  classicOffsets, preciseOffsets);
    }
    return 0;
}
