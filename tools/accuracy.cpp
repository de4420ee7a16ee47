// Measures both placements against the independent judge: targets spread
// over the sky on days from 1990 to 2040. Prints a Markdown table by year
// and writes an SVG plot of the separations.
//   celestra_accuracy [PLOT.svg]
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

constexpr int kFirstYear = 1990, kLastYear = 2040, kTargetsPerYear = 200;
constexpr double kPi = 3.14159265358979323846;

struct Stats {
    double median, p95, max;
};

Stats Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto at = [&](double f) {
        return values[static_cast<std::size_t>(f * static_cast<double>(values.size() - 1))];
    };
    return {at(0.5), at(0.95), values.back()};
}

// A polyline of one series on a log scale from 0.01" to 100".
std::string Polyline(const std::vector<Stats>& stats, double Stats::*field, const char* colour, const char* dash) {
    std::string points;
    for (std::size_t i = 0; i < stats.size(); ++i) {
        const double x = 60 + 12.0 * static_cast<double>(i);
        const double y = 40 + 300 * (2 - std::log10(std::max(stats[i].*field, 0.01))) / 4;
        points += std::to_string(x) + "," + std::to_string(y) + " ";
    }
    return "<polyline fill='none' stroke='" + std::string(colour) + "' stroke-width='2' stroke-dasharray='" + dash +
           "' points='" + points + "'/>\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<Stats> classicByYear, preciseByYear;
    std::vector<double> allClassic, allPrecise;
    double worstMagnitude = 0;
    std::printf(
        "| year | classic median | classic 95%% | classic max | precise median | precise 95%% | precise max |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (int year = kFirstYear; year <= kLastYear; ++year) {
        std::vector<double> classic, precise;
        for (int i = 0; i < kTargetsPerYear; ++i) {
            ObjectPlace object;
            object.designation = "T       ";
            object.raRad = 2 * kPi * unit(random);
            object.decRad = std::asin(2 * unit(random) - 1);
            object.magnitude = -1.5 + 26.5 * unit(random);
            const double dayCount = DayNumber({year, 1, 1}) + std::floor(365 * unit(random));
            const std::string dateText = DateToText(dayCount);

            const std::string classicLine = ElementLine(object, dateText, GeometryOfDate(dateText));
            classic.push_back(judge::JudgeLine(classicLine, dayCount, object.raRad, object.decRad).separationArcsec);
            const auto judged = judge::JudgeLine(PreciseElementLine(object, PreciseDateOf(dateText)), dayCount,
                                                 object.raRad, object.decRad);
            precise.push_back(judged.separationArcsec);
            worstMagnitude = std::max(worstMagnitude, std::fabs(judged.predictedMagnitude - object.magnitude));
        }
        allClassic.insert(allClassic.end(), classic.begin(), classic.end());
        allPrecise.insert(allPrecise.end(), precise.begin(), precise.end());
        const Stats c = Summarise(classic), p = Summarise(precise);
        classicByYear.push_back(c);
        preciseByYear.push_back(p);
        if (year % 5 == 0 || year == 2026) {
            std::printf("| %d | %.2f\" | %.2f\" | %.2f\" | %.3f\" | %.3f\" | %.3f\" |\n", year, c.median, c.p95, c.max,
                        p.median, p.p95, p.max);
        }
    }
    const Stats c = Summarise(allClassic), p = Summarise(allPrecise);
    std::printf("| all | %.2f\" | %.2f\" | %.2f\" | %.3f\" | %.3f\" | %.3f\" |\n", c.median, c.p95, c.max, p.median,
                p.p95, p.max);
    std::printf("\nprecise magnitude: worst %.4f mag from the catalogue magnitude\n", worstMagnitude);

    if (argc > 1) {
        std::ofstream svg(argv[1]);
        svg << "<svg xmlns='http://www.w3.org/2000/svg' width='700' height='400' font-family='sans-serif' "
               "font-size='12'>\n"
               "<rect width='700' height='400' fill='white'/>\n";
        for (int decade = -2; decade <= 2; ++decade) {
            const double y = 40 + 300 * (2 - decade) / 4.0;
            svg << "<line x1='60' x2='660' y1='" << y << "' y2='" << y << "' stroke='#ddd'/>"
                << "<text x='55' y='" << y + 4 << "' text-anchor='end'>" << std::pow(10.0, decade) << "\"</text>\n";
        }
        for (int year = kFirstYear; year <= kLastYear; year += 10) {
            const double x = 60 + 12.0 * (year - kFirstYear);
            svg << "<text x='" << x << "' y='360' text-anchor='middle'>" << year << "</text>\n";
        }
        svg << Polyline(classicByYear, &Stats::median, "#c0392b", "none")
            << Polyline(classicByYear, &Stats::max, "#c0392b", "5,4")
            << Polyline(preciseByYear, &Stats::median, "#2471a3", "none")
            << Polyline(preciseByYear, &Stats::max, "#2471a3", "5,4")
            << "<text x='360' y='22' text-anchor='middle' font-size='14'>Separation of the pseudo-comet from its "
               "target "
               "at 0h (log scale)</text>\n"
            << "<text x='70' y='62' fill='#c0392b'>classic lines: median (solid), maximum (dashed)</text>\n"
            << "<text x='70' y='325' fill='#2471a3'>--precise: median (solid), maximum (dashed)</text>\n"
            << "<text x='360' y='385' text-anchor='middle'>year of the observation date</text>\n</svg>\n";
    }
    return 0;
}
