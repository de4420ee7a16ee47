// An independent judge of element lines: the written elements propagated as
// a circular two-body orbit, the Earth from ERFA (the IAU's standard
// routines), light time, the ICRS place. For tests and measurement only.
#pragma once

#include <string>

namespace celestra::judge {

struct Judgement {
    double separationArcsec;    // from the catalogue place, at the instant judged
    double predictedMagnitude;  // H + 5 log(Delta) + 2.5 n log(r)
};

// The pseudo-comet of `line` seen from the Earth `hoursFromMidnight` after
// 0h (TT) of `dayCount` (days since 1899-12-30), against the catalogue place
// (ICRS, radians): an astrometric place, with light time and without
// aberration.
Judgement JudgeLine(const std::string& line, double dayCount, double raRad, double decRad,
                    double hoursFromMidnight = 0.0);

}  // namespace celestra::judge
