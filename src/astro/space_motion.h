// A star's own motion: its catalogue place carried from the catalogue's
// epoch to a later instant along a straight line through space, and seen
// from an observer in the solar system. Pure functions of double precision;
// vectors are in the axes of the catalogue (ICRS, J2000.0 equator) unless a
// name says otherwise.
#pragma once

namespace celestra::astro {

// A catalogue entry with its motion.
struct StarMotion {
    double raRad = 0;                    // right ascension at the epoch
    double decRad = 0;                   // declination at the epoch
    double pmRaCosDecRadPerYear = 0;     // proper motion in right ascension, times cos dec
    double pmDecRadPerYear = 0;          // proper motion in declination
    double parallaxRad = 0;              // annual parallax; 0 when unknown
    double radialVelocityAuPerYear = 0;  // away from the Sun; counts only with a parallax
};

// Given a star, the Julian years from its epoch to an instant and the
// observer's position from the Sun then (AU), returns the unit direction
// from the observer to the star: its astrometric place. The star moves at
// constant velocity; its parallax, where known, gives its distance (1 /
// parallax AU), and the observer's offset then shifts it. A star of unknown
// distance moves along its proper motion only, and the observer's place does
// not matter. Light time is left out: it changes the place by the change of
// the star's distance over the speed of light times its proper motion,
// which ERFA's rigorous propagation nearly cancels with the relativistic
// correction of the observed motion (the two differ by (v/c)^2).
void AstrometricDirection(const StarMotion& star, double yearsSinceEpoch, const double observerAu[3],
                          double direction[3]);

// Given a vector in the axes of the J2000.0 equator, returns it in those of
// the J2000.0 ecliptic of the precise lines (the IAU 1976 obliquity), and
// back.
void EquatorToEclipticJ2000(const double equatorial[3], double ecliptic[3]);
void EclipticToEquatorJ2000(const double ecliptic[3], double equatorial[3]);

// Given a unit vector, returns its right ascension within [0, 2 pi) and its
// declination (radians).
void VectorToPlace(const double direction[3], double& raRad, double& decRad);

}  // namespace celestra::astro
