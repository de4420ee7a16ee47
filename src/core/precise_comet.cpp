#include "core/precise_comet.h"

#include <cmath>

#include "astro/angles.h"
#include "astro/constants.h"
#include "astro/space_motion.h"
#include "astro/sun.h"
#include "core/element_line.h"
#include "core/observation_date.h"
#include "core/pseudo_comet_constants.h"
#include "text/dates.h"
#include "text/numbers.h"

namespace celestra {
namespace {

using namespace astro;

// Ten-thousandths of a day: the perihelion date's resolution.
constexpr long long kDayFractionUnits = 10000;
// Ten-thousandths of a degree: the resolution of the three angles' columns.
constexpr double kAngleUnitsPerDegree = 10000.0;
constexpr long long kAngleUnitsPerTurn = 3600000;
constexpr long long kAngleUnitsPerHalfTurn = 1800000;
// The absolute magnitude's floor: the four columns hold -9.9 at the least,
// and H is kept just above -9.95 so that it rounds to no less.
constexpr double kLowestAbsoluteMagnitude = -9.94;
// The search for an orbit plane through the body: nodes in up to this many
// groups around the sky, each of this many runs of this many consecutive
// written values, and the residual (radians, 0.001") that ends the search.
constexpr int kPlaneGroups = 12;
constexpr int kPlaneRunsPerGroup = 8;
constexpr long long kPlaneNodesPerRun = 500;
constexpr double kPlaneGoodEnoughRad = 5e-9;
// A predicted miss of the inclination's rounding (in ten-thousandths of a
// degree) small enough to try the node at once.
constexpr double kPredictedMissToTry = 2e-3;

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The catalogue direction in the J2000.0 ecliptic frame: the equatorial unit
// vector turned about the equinox by the obliquity of J2000.0.
void CatalogueDirection(double raRad, double decRad, double direction[3]) {
    const double equatorial[3] = {std::cos(decRad) * std::cos(raRad), std::cos(decRad) * std::sin(raRad),
                                  std::sin(decRad)};
    EquatorToEclipticJ2000(equatorial, direction);
}

// The calendar moment of a day count, to the ten-thousandth of a day.
PerihelionTime PerihelionOfDayCount(double dayCount) {
    const long long units = std::llround(dayCount * kDayFractionUnits);
    long long day = units / kDayFractionUnits;
    long long fraction = units % kDayFractionUnits;
    if (fraction < 0) {  // before 1899-12-30: the day below, a positive fraction
        fraction += kDayFractionUnits;
        --day;
    }
    const CalendarDate date = DateOfDayNumber(day);
    return {date.year, date.month, date.day, static_cast<int>(fraction)};
}

// An orbit plane as the columns write it: node and inclination in
// ten-thousandths of a degree, node in [0, 360), inclination in [0, 90].
struct WrittenPlane {
    long long nodeUnits = 0;
    long long inclinationUnits = 0;
    double residualRad = INFINITY;  // how far the plane passes from the body's direction
};

double UnitsToRadians(long long units) { return static_cast<double>(units) / kAngleUnitsPerDegree * kDegreesToRadians; }

// The plane's pole (unit vector): along the orbital angular momentum.
void PlanePole(const WrittenPlane& plane, double pole[3]) {
    const double node = UnitsToRadians(plane.nodeUnits), inclination = UnitsToRadians(plane.inclinationUnits);
    pole[0] = std::sin(node) * std::sin(inclination);
    pole[1] = -std::cos(node) * std::sin(inclination);
    pole[2] = std::cos(inclination);
}

// The written plane with its node at `nodeUnits` (any whole number of
// ten-thousandths) that passes nearest the unit direction `p`: the exact
// inclination, rounded. A negative inclination is the same plane with the
// node half a turn on.
WrittenPlane PlaneWithNode(long long nodeUnits, const double p[3]) {
    const double node = UnitsToRadians(nodeUnits);
    // The pole (sin N sin i, -cos N sin i, cos i) is square to p when
    // tan i = -p_z / d.
    const double d = std::sin(node) * p[0] - std::cos(node) * p[1];
    double inclinationDeg = RadiansToDegrees(std::atan2(-p[2], d));
    if (inclinationDeg > 90.0) inclinationDeg -= 180.0;
    if (inclinationDeg < -90.0) inclinationDeg += 180.0;
    if (inclinationDeg < 0) {
        inclinationDeg = -inclinationDeg;
        nodeUnits += kAngleUnitsPerHalfTurn;
    }
    WrittenPlane plane;
    plane.nodeUnits = ((nodeUnits % kAngleUnitsPerTurn) + kAngleUnitsPerTurn) % kAngleUnitsPerTurn;
    plane.inclinationUnits = std::llround(inclinationDeg * kAngleUnitsPerDegree);
    double pole[3];
    PlanePole(plane, pole);
    plane.residualRad = std::fabs(Dot(pole, p));
    return plane;
}

// The exact inclination (degrees, signed, before any turn of the node) of
// the plane through the unit direction `p` with its node at `nodeUnits`.
double ExactInclinationDeg(long long nodeUnits, const double p[3]) {
    const double node = UnitsToRadians(nodeUnits);
    return RadiansToDegrees(std::atan(-p[2] / (std::sin(node) * p[0] - std::cos(node) * p[1])));
}

// Among planes through the unit direction `p`, one whose written node and
// inclination (four decimals of a degree each) pass nearest it. Rounding the
// exact inclination of one node misses by up to 0.18"; that inclination's
// fraction of a unit changes from node to node, so among a few thousand
// consecutive nodes some round almost exactly. A quadratic through three
// exact inclinations predicts the fraction for each node of a short run of
// nodes; a predicted near miss is tried exactly at once, so that most
// searches end within a few hundred nodes. The groups start at several
// places around the sky, because near some nodes the inclination hardly
// changes (90 degrees from the body) or its rounding hardly matters (at the
// body's own longitude).
WrittenPlane PlaneThrough(const double p[3]) {
    const double longitudeDeg = RadiansToDegrees(std::atan2(p[1], p[0]));
    WrittenPlane best;
    const auto consider = [&](long long nodeUnits) {
        const WrittenPlane plane = PlaneWithNode(nodeUnits, p);
        if (plane.residualRad < best.residualRad) best = plane;
        return best.residualRad < kPlaneGoodEnoughRad;
    };
    for (int group = 0; group < kPlaneGroups; ++group) {
        const long long groupStart =
            std::llround((longitudeDeg + kDegreesPerTurn * group / kPlaneGroups) * kAngleUnitsPerDegree);
        if (consider(groupStart)) return best;
        for (int run = 0; run < kPlaneRunsPerGroup; ++run) {
            const long long start = groupStart + run * kPlaneNodesPerRun;
            const double half = kPlaneNodesPerRun / 2.0;
            const double y0 = ExactInclinationDeg(start, p) * kAngleUnitsPerDegree;
            const double y1 = ExactInclinationDeg(start + kPlaneNodesPerRun / 2, p) * kAngleUnitsPerDegree;
            const double y2 = ExactInclinationDeg(start + kPlaneNodesPerRun, p) * kAngleUnitsPerDegree;
            const double slope = (y1 - y0) / half, curvature = (y2 - 2 * y1 + y0) / (2 * half * half);
            for (long long step = 1; step <= kPlaneNodesPerRun; ++step) {
                const double k = static_cast<double>(step);
                const double predicted = y0 + slope * k + curvature * k * (k - half);
                // The nearest whole number by truncation: |predicted| < 2^31.
                const double nearest = static_cast<double>(static_cast<long>(predicted + (predicted < 0 ? -0.5 : 0.5)));
                if (std::fabs(predicted - nearest) < kPredictedMissToTry && consider(start + step)) return best;
            }
        }
    }
    return best;
}

// The body's argument of latitude (radians) at the unit direction `p` in the
// written plane: the angle from the ascending node along the orbit.
double ArgumentOfLatitude(const WrittenPlane& plane, const double p[3]) {
    const double node = UnitsToRadians(plane.nodeUnits), inclination = UnitsToRadians(plane.inclinationUnits);
    const double towardsNode[3] = {std::cos(node), std::sin(node), 0.0};
    const double alongOrbit[3] = {-std::sin(node) * std::cos(inclination), std::cos(node) * std::cos(inclination),
                                  std::sin(inclination)};
    return std::atan2(Dot(p, alongOrbit), Dot(p, towardsNode));
}

}  // namespace

PreciseDate PreciseDateOf(std::string_view dateText) {
    PreciseDate date;
    date.dayCount = ReadObservationDate(dateText);
    EarthJ2000(date.dayCount, date.earthAu);
    return date;
}

void PreciseElementLine(const ObjectPlace& object, const PreciseDate& date, ElementLineWriter& writer,
                        std::string& line) {
    double u[3];
    CatalogueDirection(object.raRad, object.decRad, u);

    // The point on the orbit (q from the Sun) that the Earth sees towards
    // the catalogue place: |E + rho u| = q, rho its distance from the Earth.
    const double q = kPreciseDistanceAu;
    const double* earth = date.earthAu;
    const double b = Dot(earth, u);
    const double distanceAu = -b + std::sqrt(b * b - Dot(earth, earth) + q * q);
    const double p[3] = {(earth[0] + distanceAu * u[0]) / q, (earth[1] + distanceAu * u[1]) / q,
                         (earth[2] + distanceAu * u[2]) / q};

    // A plane through the point as the columns write it, and the point's
    // place along it. The argument of perihelion is written to four
    // decimals; what the rounding leaves, the perihelion time takes up: the
    // body passes the point (U - omega) / n days after perihelion.
    const WrittenPlane plane = PlaneThrough(p);
    const double argumentRad = ArgumentOfLatitude(plane, p);
    long long argumentUnits = std::llround(RadiansToDegrees(argumentRad) * kAngleUnitsPerDegree);
    const double leftOverRad = argumentRad - UnitsToRadians(argumentUnits);
    argumentUnits = ((argumentUnits % kAngleUnitsPerTurn) + kAngleUnitsPerTurn) % kAngleUnitsPerTurn;
    const double motionRadPerDay = kGaussianGravitation / std::pow(q, 1.5);

    // Light from the point reaches the Earth at 0h: the body passes it that
    // much earlier.
    const double passageDayCount = date.dayCount - distanceAu / kLightAuPerDay;
    const double perihelionDayCount = passageDayCount - leftOverRad / motionRadPerDay;

    // Magnitude: H + 5 log(Delta) + 2.5 n log(r) is to be the catalogue
    // magnitude, with H and n in tenths. The largest slope that keeps H above
    // its floor, or the next one down: a tenth of slope moves H by 1.25 mag,
    // half a tenth and more, so one of the two leaves H within 0.025 of a
    // tenth.
    const double distanceTerm = kMagnitudePerTenfoldDistance * std::log10(distanceAu);
    const double slopeTerm = kMagnitudePerTenfoldRadiusPerSlope * std::log10(q);
    const double highestSlopeTenths =
        std::floor((object.magnitude - distanceTerm - kLowestAbsoluteMagnitude) / slopeTerm * kTenthsPerUnit);
    double slope = 0, absoluteMagnitude = 0, leastRounding = INFINITY;
    for (const double slopeTenths : {highestSlopeTenths, highestSlopeTenths - 1}) {
        const double candidateSlope = slopeTenths / kTenthsPerUnit;
        const double candidateH = object.magnitude - distanceTerm - slopeTerm * candidateSlope;
        const double rounding = std::fabs(candidateH * kTenthsPerUnit - std::round(candidateH * kTenthsPerUnit));
        if (rounding < leastRounding) {
            leastRounding = rounding;
            slope = candidateSlope;
            absoluteMagnitude = candidateH;
        }
    }

    const OrbitOrientation orbit{static_cast<double>(argumentUnits) / kAngleUnitsPerDegree,
                                 static_cast<double>(plane.nodeUnits) / kAngleUnitsPerDegree,
                                 static_cast<double>(plane.inclinationUnits) / kAngleUnitsPerDegree};
    const std::string distanceText = FormatFloat(kPreciseDistanceFormat, q);
    const std::string absoluteMagnitudeText = FormatFloat(kTenthsFormat, absoluteMagnitude);
    writer.Write({object.designation, PerihelionOfDayCount(perihelionDayCount), distanceText, orbit,
                  absoluteMagnitudeText, slope, object.name},
                 line);
}

}  // namespace celestra
