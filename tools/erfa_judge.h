// An independent judge of element lines: the written elements propagated as
// a circular two-body orbit, the Earth from ERFA (the IAU's standard
// routines), light time, the ICRS place. For tests and measurement only.
#pragma once

#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/object_line.h"

namespace celestra::judge {

struct Judgement {
    double separationArcsec;    // from the catalogue place, at the instant judged
    double predictedMagnitude;  // H + 5 log(Delta) + 2.5 n log(r)
};

// The pseudo-comet of `line` seen from the Earth `hoursFromMidnight` after
// 0h (TT) of `dayCount` (days since 1899-12-30), against the catalogue place
// (ICRS, radians): an astrometric place, with light time and without
// aberration. The elements are read in the ecliptic of J2000.0 with the IAU
// 1976 obliquity (eraObl80), as published elements are, or, for a reader
// that assumes the IAU 2006 one, with eraObl06.
Judgement JudgeLine(const std::string& line, double dayCount, double raRad, double decRad,
                    double hoursFromMidnight = 0.0, bool iau2006Ecliptic = false);

// Where a target stands for the Earth's centre `hoursFromMidnight` after 0h
// (TT) of `dayCount`: its astrometric place (ICRS, radians). A target with
// its own motion is carried from its epoch by ERFA's eraPmsafe (space
// motion, light time, the relativistic correction of the observed motion)
// and seen from the Earth's barycentric position by eraPmpx; a target of
// unknown distance moves by its proper motion only (eraPmpx with no
// parallax). A target without motion
// stands at its catalogue place.
std::pair<double, double> TargetPlace(const ObjectPlace& object, double dayCount, double hoursFromMidnight = 0.0);

// Right ascension and declination (ICRS, radians) of a place `offsetRad`
// from the north (+1) or south (-1) pole of the ecliptic of J2000.0 or,
// when `celestial`, of the equator, towards `bearingRad`: the targets at
// the poles for the measurements.
std::pair<double, double> NearPole(bool celestial, int hemisphere, double offsetRad, double bearingRad);

// The places a measurement judges: `randomCount` spread evenly over the sky,
// then, at each pole of the ecliptic and of the equator, one for each offset
// from the pole (arcminutes) towards a random bearing. Only the places are
// set; the draws from `random` are made in that order.
std::vector<ObjectPlace> SkyTargets(std::mt19937& random, int randomCount,
                                    std::initializer_list<double> poleOffsetsArcmin);

}  // namespace celestra::judge
