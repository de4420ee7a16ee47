// Measures both placements against the independent judge: 1,200 targets
// spread over the sky and 12 at both ecliptic and both celestial poles, on
// days from 1901 to 2099, each judged at instants from 12 hours before to 12
// hours after 0h of its date. Prints Markdown tables by period and by
// instant, and writes SVG plots of the separations against the year and
// against the hour. Then targets with their own motion: the precise and
// the classic lines against ERFA's place on the date, and how far that place
// is from the catalogue place. With --lines, also writes every precise line
// judged, with the instant and the target's place then, for readers of
// comet elements written by others (tools/readers).
//   celestra_accuracy [--lines LINES.tsv] [YEARS.svg [NIGHT.svg]]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "astro/angles.h"
#include "astro/constants.h"
#include "astro/sun.h"
#include "core/pseudo_comet_lines.h"
#include "erfa_judge.h"
#include "text/dates.h"

namespace {

using namespace celestra;

constexpr int kRandomTargets = 1200;
constexpr int kMovingTargets = 400;
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

// Targets with their own motion as catalogues give them: proper motions
// from 1 mas to 10.4" a year (evenly in their logarithm), parallaxes for
// most (0.1 to 800 mas, but no less than keeps the star slower than 400 km/s
// across the line of sight, as stars are), radial velocities for half of
// those, the epochs of Hipparcos, J2000.0 and Gaia DR3.
std::vector<ObjectPlace> MovingTargets(std::mt19937& random, int count) {
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<ObjectPlace> targets = judge::SkyTargets(random, count, {});
    for (ObjectPlace& object : targets) {
        CatalogueMotion motion;
        const double pmMasPerYear = std::pow(10.0, 4.017 * unit(random));
        const double bearingRad = astro::kTwoPi * unit(random);
        motion.pmRaCosDecMasPerYear = pmMasPerYear * std::sin(bearingRad);
        motion.pmDecMasPerYear = pmMasPerYear * std::cos(bearingRad);
        const double epochs[] = {1991.25, 2000.0, 2016.0};
        motion.epochJulianYear = epochs[static_cast<int>(3 * unit(random)) % 3];
        if (unit(random) < 0.7) {
            // 4.74 km/s is 1 AU a year: a speed across the line of sight of
            // 4.74 pm / parallax km/s.
            constexpr double kFastestKmPerS = 400, kKmPerSecondPerAuPerYear = 4.740470;
            motion.parallaxMas = std::max(std::pow(10.0, -1 + 3.9 * unit(random)),
                                          kKmPerSecondPerAuPerYear * pmMasPerYear / kFastestKmPerS);
            if (unit(random) < 0.5) motion.radialVelocityKmPerS = -150 + 300 * unit(random);
        }
        object.motion = motion;
    }
    return targets;
}

void WriteReaderRow(std::FILE* out, const char* kind, double dayCount, double hours, const ObjectPlace& object,
                    const std::string& line) {
    if (out == nullptr) return;
    const auto [ra, dec] = judge::TargetPlace(object, dayCount, hours);
    std::fprintf(out, "%s\t%.6f\t%+.0f\t%.12f\t%.12f\t%.3f\t%s\n", kind,
                 dayCount + hours / 24.0 + astro::kJulianDayOfDayCountZero, hours, astro::RadiansToDegrees(ra),
                 astro::RadiansToDegrees(dec), object.magnitude, line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::FILE* readerLines = nullptr;
    if (argc > 2 && std::string(argv[1]) == "--lines") {
        readerLines = std::fopen(argv[2], "w");
        if (readerLines == nullptr) {
            std::perror(argv[2]);
            return 1;
        }
        std::fprintf(readerLines, "kind\tjd_tt\thours\tra_deg\tdec_deg\tmagnitude\tline\n");
        argc -= 2;
        argv += 2;
    }
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
        const std::string classicLine = PseudoCometLines(dateText, Computation::kClassic).LineOf(object);
        const std::string preciseLine = PseudoCometLines(dateText, Computation::kPrecise).LineOf(object);
        const auto period = static_cast<std::size_t>((year - kFirstYear) / kYearsPerPeriod);
        for (std::size_t o = 0; o < kOffsets; ++o) {
            const double hours = kOffsetsHours[o];
            const double classic =
                judge::JudgeLine(classicLine, dayCount, object.raRad, object.decRad, hours).separationArcsec;
            const auto precise = judge::JudgeLine(preciseLine, dayCount, object.raRad, object.decRad, hours);
            WriteReaderRow(readerLines, "fixed", dayCount, hours, object, preciseLine);
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

    // Targets with their own motion.
    std::vector<ObjectPlace> moving = MovingTargets(random, kMovingTargets);
    std::vector<double> movingPrecise, movingClassic, movingCatalogue;
    std::vector<std::vector<double>> movingByOffset(kOffsets);
    for (std::size_t i = 0; i < moving.size(); ++i) {
        ObjectPlace object = moving[i];
        object.designation = "M       ";
        object.magnitude = -1.5 + 26.5 * unit(random);
        const int year = kFirstYear + static_cast<int>((i * 7) % (kLastYear - kFirstYear + 1));
        const double dayCount = DayNumber({year, 1, 1}) + std::floor(365 * unit(random));
        const std::string dateText = DateToText(dayCount);
        const std::string classicLine = PseudoCometLines(dateText, Computation::kClassic).LineOf(object);
        const std::string preciseLine = PseudoCometLines(dateText, Computation::kPrecise).LineOf(object);
        const auto [raThen, decThen] = judge::TargetPlace(object, dayCount);
        movingClassic.push_back(judge::JudgeLine(classicLine, dayCount, raThen, decThen).separationArcsec);
        movingCatalogue.push_back(
            judge::JudgeLine(preciseLine, dayCount, object.raRad, object.decRad).separationArcsec);
        for (std::size_t o = 0; o < kOffsets; ++o) {
            const double hours = kOffsetsHours[o];
            const auto [ra, dec] = judge::TargetPlace(object, dayCount, hours);
            const double separation = judge::JudgeLine(preciseLine, dayCount, ra, dec, hours).separationArcsec;
            movingPrecise.push_back(separation);
            movingByOffset[o].push_back(separation);
            WriteReaderRow(readerLines, "moving", dayCount, hours, object, preciseLine);
        }
    }
    if (readerLines != nullptr) std::fclose(readerLines);
    std::printf(
        "\n%zu targets with their own motion (1 mas to 10.4\" a year, epochs 1991.25, 2000.0, 2016.0, most with"
        " a parallax), against ERFA's place on the date\n\n",
        moving.size());
    std::printf("| hours from 0h | precise median | precise max |\n|---|---|---|\n");
    for (std::size_t o = 0; o < kOffsets; ++o) {
        const Stats po = Summarise(movingByOffset[o]);
        std::printf("| %+.0f | %.4f\" | %.4f\" |\n", kOffsetsHours[o], po.median, po.max);
    }
    const Stats mp = Summarise(movingPrecise), mc = Summarise(movingClassic), mk = Summarise(movingCatalogue);
    std::printf("| all | %.4f\" | %.4f\" |\n\nclassic lines about the place on the date: median %.2f\", max %.2f\"\n",
                mp.median, mp.max, mc.median, mc.max);
    std::printf("the place on the date from the catalogue place, at 0h: median %.2f\", max %.2f\"\n", mk.median,
                mk.max);

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
