// The same real stars given as each service writes its tables, judged by
// ERFA: the precise lines from every table place each star within 0.05" of
// its astrometric place through the night, 1950-2090, and never farther than
// the same stars given as fixed-column lines with keyed values, whose
// columns round the place. Places computed for J2000 (VizieR's _RAJ2000,
// SIMBAD's) are moved there by ERFA here, so that the motion the run applies
// from J2000 is checked against the catalogue's own place and epoch.
#include <erfa.h>
#include <erfam.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/object_table.h"
#include "core/pseudo_comet_lines.h"
#include "erfa_judge.h"
#include "support/binary_stream.h"
#include "support/run_support.h"
#include "support/table_source.h"
#include "text/dates.h"

namespace celestra {
namespace {

// Gaia DR3 at its epoch, J2016.0: the fastest star, the nearest, a fast
// pair, one near each celestial pole, a slow distant one, and one of Gaia's
// two-parameter sources, without motion or parallax.
struct Star {
    const char* name;
    double raDeg, decDeg, pmRaMasPerYear, pmDecMasPerYear, parallaxMas, radialVelocityKmPerS, magnitude;
    bool moves;
};
constexpr double kNoValue = NAN;
const Star kStars[] = {
    {"Gaia DR3 4472832130942575872", 269.44850252543836, 4.739420051112412, -801.551, 10362.394, 546.976, -110.6, 8.19,
     true},
    {"Gaia DR3 5853498713190525696", 217.39232147200883, -62.67607511676666, -3781.741, 769.465, 768.067, -22.4, 8.98,
     true},
    {"Gaia DR3 1872046574983507456", 316.7481845471, 38.7636461521, 4164.209, 3249.614, 285.994, -65.9, 4.77, true},
    {"Gaia DR3 576402619921510144", 37.9599875833, 89.2640969167, 44.48, -11.85, 7.54, -16.42, 1.98, true},
    {"Gaia DR3 6359381178386437760", 303.1249871, -89.4312008, 31.2, -18.7, 9.9, 5.0, 11.02, true},
    {"Gaia DR3 3017245934066400000", 84.0213712, -5.4129877, 0.512, -0.303, 0.21, kNoValue, 15.2, true},
    {"Gaia DR3 3017245934066400001", 84.1000027, -5.3999931, kNoValue, kNoValue, kNoValue, kNoValue, 20.1, false},
};
constexpr double kGaiaEpochJulianYear = 2016.0;
constexpr double kGaiaEpochJulianDay = 2457389.0;  // J2016.0

std::string Number(double value) {
    if (std::isnan(value)) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// The star at J2000, as VizieR's computed columns and SIMBAD give it, and
// its motion then. A table that gives a J2000 place with the rates of
// another epoch (SIMBAD's, with Gaia's motion at J2016.0) carries the
// change of those rates since, which for the nearest fast stars grows to
// 2" over a century (Barnard's star): the table's own error, which no
// reading of it can undo; the tables here give the rates at J2000.
struct J2000Place {
    double raDeg, decDeg, pmRaMasPerYear, pmDecMasPerYear, parallaxMas, radialVelocityKmPerS;
};
J2000Place AtJ2000(const Star& star) {
    if (!star.moves) return {star.raDeg, star.decDeg, kNoValue, kNoValue, kNoValue, kNoValue};
    const double decRad = star.decDeg * ERFA_DD2R;
    double ra = 0, dec = 0, pmr = 0, pmd = 0, px = 0, rv = 0;
    const double parallaxArcsec = std::isnan(star.parallaxMas) ? 0 : star.parallaxMas / 1000;
    const double radialVelocity = std::isnan(star.radialVelocityKmPerS) ? 0 : star.radialVelocityKmPerS;
    eraPmsafe(star.raDeg * ERFA_DD2R, decRad, star.pmRaMasPerYear / 1000 * ERFA_DAS2R / std::cos(decRad),
              star.pmDecMasPerYear / 1000 * ERFA_DAS2R, parallaxArcsec, radialVelocity, kGaiaEpochJulianDay, 0,
              ERFA_DJ00, 0, &ra, &dec, &pmr, &pmd, &px, &rv);
    const auto given = [](double value, double catalogue) { return std::isnan(catalogue) ? kNoValue : value; };
    return {eraAnp(ra) * ERFA_DR2D,
            dec * ERFA_DR2D,
            pmr * std::cos(dec) / ERFA_DAS2R * 1000,
            pmd / ERFA_DAS2R * 1000,
            given(px * 1000, star.parallaxMas),
            given(rv, star.radialVelocityKmPerS)};
}

// The star as the judge takes it: Gaia's place and motion at J2016.0.
ObjectPlace Truth(const Star& star) {
    ObjectPlace place;
    place.raRad = star.raDeg * ERFA_DD2R;
    place.decRad = star.decDeg * ERFA_DD2R;
    place.magnitude = star.magnitude;
    if (star.moves) {
        CatalogueMotion motion;
        motion.pmRaCosDecMasPerYear = star.pmRaMasPerYear;
        motion.pmDecMasPerYear = star.pmDecMasPerYear;
        motion.parallaxMas = std::isnan(star.parallaxMas) ? 0 : star.parallaxMas;
        motion.radialVelocityKmPerS = std::isnan(star.radialVelocityKmPerS) ? 0 : star.radialVelocityKmPerS;
        motion.epochJulianYear = kGaiaEpochJulianYear;
        place.motion = motion;
    }
    return place;
}

// ---- The tables, each written as its service writes it ----------------------

std::string GaiaCsv() {
    std::string text =
        "solution_id,designation,source_id,random_index,ref_epoch,ra,ra_error,dec,dec_error,parallax,"
        "pmra,pmdec,phot_g_mean_mag,radial_velocity\n";
    for (const Star& star : kStars) {
        text += "1636148068921376768," + std::string(star.name) + "," + std::string(star.name).substr(9) +
                ",7,2016.0," + Number(star.raDeg) + ",0.02," + Number(star.decDeg) + ",0.02," +
                Number(star.parallaxMas) + "," + Number(star.pmRaMasPerYear) + "," + Number(star.pmDecMasPerYear) +
                "," + Number(star.magnitude) + "," + Number(star.radialVelocityKmPerS) + "\r\n";
    }
    return text;
}

std::string SimbadCsv() {
    std::string text = "main_id,ra,dec,pmra,pmdec,plx_value,rvz_radvel,V\n";
    for (const Star& star : kStars) {
        const J2000Place j2000 = AtJ2000(star);
        text += "\"" + std::string(star.name) + "\"," + Number(j2000.raDeg) + "," + Number(j2000.decDeg) + "," +
                Number(j2000.pmRaMasPerYear) + "," + Number(j2000.pmDecMasPerYear) + "," + Number(j2000.parallaxMas) +
                "," + Number(j2000.radialVelocityKmPerS) + "," + Number(star.magnitude) + "\n";
    }
    return text;
}

// VizieR's I/355 with its computed J2000 columns first; `ownPlace` adds the
// catalogue's own place at Ep=2016.0, which must then be the one taken.
std::string VizierTsv(bool ownPlace) {
    std::string text =
        "#\n#   VizieR Astronomical Server vizier.example\n#RESOURCE=yCat_1355\n#Table\tI_355_gaiadr3:\n"
        "#Column\t_RAJ2000\t(F14.10)\tRight ascension (FK5, Equinox=J2000.0) at Epoch=J2000, proper motions "
        "taken into account \t[ucd=pos.eq.ra]\n"
        "#Column\t_DEJ2000\t(F14.10)\tDeclination (FK5, Equinox=J2000.0) at Epoch=J2000, proper motions taken "
        "into account \t[ucd=pos.eq.dec]\n"
        "#Column\tRA_ICRS\t(F15.11)\tRight ascension (ICRS) at Ep=2016.0 (ra)\t[ucd=pos.eq.ra;meta.main]\n"
        "#Column\tDE_ICRS\t(F15.11)\tDeclination (ICRS) at Ep=2016.0 (dec)\t[ucd=pos.eq.dec;meta.main]\n"
        "#Column\tDR3Name\t(a28)\tUnique source designation (designation)\t[ucd=meta.id]\n";
    text += ownPlace ? "_RAJ2000\t_DEJ2000\tRA_ICRS\tDE_ICRS\tDR3Name\tPlx\tpmRA\tpmDE\tGmag\tRV\n"
                       "deg\tdeg\tdeg\tdeg\t\tmas\tmas/yr\tmas/yr\tmag\tkm/s\n"
                       "----\t----\t----\t----\t----\t----\t----\t----\t----\t----\n"
                     : "_RAJ2000\t_DEJ2000\tDR3Name\tPlx\tpmRA\tpmDE\tGmag\tRV\n"
                       "deg\tdeg\t\tmas\tmas/yr\tmas/yr\tmag\tkm/s\n----\t----\t----\t----\t----\t----\t----\t----\n";
    for (const Star& star : kStars) {
        const J2000Place j2000 = AtJ2000(star);
        // With its own place, the catalogue's motion at its own epoch; with
        // the J2000 place alone, the motion at J2000.
        const Star motion = ownPlace ? star : Star{star.name,
                                                   0,
                                                   0,
                                                   j2000.pmRaMasPerYear,
                                                   j2000.pmDecMasPerYear,
                                                   j2000.parallaxMas,
                                                   j2000.radialVelocityKmPerS,
                                                   star.magnitude,
                                                   true};
        text += Number(j2000.raDeg) + "\t" + Number(j2000.decDeg) + "\t";
        if (ownPlace) text += Number(star.raDeg) + "\t" + Number(star.decDeg) + "\t";
        text += std::string(star.name) + "\t" + Number(motion.parallaxMas) + "\t" + Number(motion.pmRaMasPerYear) +
                "\t" + Number(motion.pmDecMasPerYear) + "\t " + Number(star.magnitude) + "\t" +
                Number(motion.radialVelocityKmPerS) + "\n";
    }
    return text + "\n#END#\n";
}

std::string Ecsv() {
    std::string text =
        "# %ECSV 1.0\n# ---\n# delimiter: ','\n# datatype:\n# -\n#   name: designation\n#   datatype: string\n"
        "# -\n#   name: ra\n#   datatype: float64\n#   unit: deg\n#   description: 'Right ascension, at "
        "Ep=2016.0'\n#   meta: {ucd: pos.eq.ra;meta.main}\n# - {name: dec, datatype: float64, unit: deg}\n"
        "# - {name: parallax, datatype: float64, unit: mas}\n# - {name: pmra, datatype: float64, unit: mas / yr}\n"
        "# - {name: pmdec, datatype: float64, unit: mas / yr}\n"
        "# - {name: radial_velocity, datatype: float32, unit: km / s}\n"
        "# - {name: phot_g_mean_mag, datatype: float32, unit: mag}\n"
        "designation,ra,dec,parallax,pmra,pmdec,radial_velocity,phot_g_mean_mag\n";
    for (const Star& star : kStars) {
        text += std::string(star.name) + "," + Number(star.raDeg) + "," + Number(star.decDeg) + "," +
                Number(star.parallaxMas) + "," + Number(star.pmRaMasPerYear) + "," + Number(star.pmDecMasPerYear) +
                "," + Number(star.radialVelocityKmPerS) + "," + Number(star.magnitude) + "\n";
    }
    return text;
}

const char* kVoTableFields =
    "<FIELD name=\"designation\" datatype=\"char\" arraysize=\"*\" ucd=\"meta.id;meta.main\"/>\n"
    "<FIELD name=\"source_id\" datatype=\"long\" ucd=\"meta.id\"/>\n"
    "<FIELD name=\"ra\" datatype=\"double\" unit=\"deg\" ucd=\"pos.eq.ra;meta.main\" ref=\"GAIADR3\"/>\n"
    "<FIELD name=\"dec\" datatype=\"double\" unit=\"deg\" ucd=\"pos.eq.dec;meta.main\" ref=\"GAIADR3\"/>\n"
    "<FIELD name=\"parallax\" datatype=\"double\" unit=\"mas\" ucd=\"pos.parallax.trig\"/>\n"
    "<FIELD name=\"pmra\" datatype=\"double\" unit=\"mas.yr**-1\" ucd=\"pos.pm;pos.eq.ra\"/>\n"
    "<FIELD name=\"pmdec\" datatype=\"double\" unit=\"mas.yr**-1\" ucd=\"pos.pm;pos.eq.dec\"/>\n"
    "<FIELD name=\"radial_velocity\" datatype=\"float\" unit=\"km.s**-1\"/>\n"
    "<FIELD name=\"phot_g_mean_mag\" datatype=\"float\" unit=\"mag\" ucd=\"phot.mag;em.opt\"/>\n";

std::string VoTable(const std::string& data) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VOTABLE version=\"1.4\" "
           "xmlns=\"http://www.ivoa.net/xml/VOTable/v1.3\">\n<RESOURCE type=\"results\">\n"
           "<COOSYS ID=\"GAIADR3\" epoch=\"J2016.0\" system=\"ICRS\"/>\n<TABLE>\n" +
           std::string(kVoTableFields) + "<DATA>" + data + "</DATA>\n</TABLE>\n</RESOURCE>\n</VOTABLE>\n";
}

std::string VoTableTableData() {
    std::string rows = "<TABLEDATA>\n";
    for (const Star& star : kStars) {
        rows += "<TR><TD>" + std::string(star.name) + "</TD><TD>" + std::string(star.name).substr(9) + "</TD>";
        for (const double value : {star.raDeg, star.decDeg, star.parallaxMas, star.pmRaMasPerYear, star.pmDecMasPerYear,
                                   star.radialVelocityKmPerS, star.magnitude}) {
            rows += "<TD>" + Number(value) + "</TD>";
        }
        rows += "</TR>\n";
    }
    return VoTable(rows + "</TABLEDATA>");
}

std::string VoTableBinary2() {
    testing::BigEndianWriter writer;
    for (const Star& star : kStars) {
        const auto null = [](double value) { return std::isnan(value); };
        writer.NullFlags({false, false, false, false, null(star.parallaxMas), null(star.pmRaMasPerYear),
                          null(star.pmDecMasPerYear), null(star.radialVelocityKmPerS), false});
        const std::string name = star.name;
        writer.Count(static_cast<std::uint32_t>(name.size())).Bytes(name);
        writer.Long(std::stoll(name.substr(9)));
        writer.Double(star.raDeg).Double(star.decDeg);
        // A null's bytes are there all the same; NaN, as Gaia writes them.
        writer.Double(star.parallaxMas).Double(star.pmRaMasPerYear).Double(star.pmDecMasPerYear);
        writer.Float(static_cast<float>(star.radialVelocityKmPerS)).Float(static_cast<float>(star.magnitude));
    }
    return VoTable("<BINARY2>\n<STREAM encoding=\"base64\">\n" + testing::Base64(writer.bytes()) +
                   "\n</STREAM>\n</BINARY2>");
}

// ---- The judgement ----------------------------------------------------------------

// The worst separation, over the night and the years, of each star's precise
// lines from its astrometric place.
std::vector<double> WorstOfEachStar(const std::vector<ObjectPlace>& places) {
    std::vector<double> worst(places.size(), 0.0);
    for (int year = 1950; year <= 2090; year += 14) {
        const double dayCount = DayNumber({year, 1 + year % 12, 1 + year % 28});
        PseudoCometLines lines(DateToText(dayCount), Computation::kPrecise);
        for (std::size_t i = 0; i < places.size(); ++i) {
            const std::string& line = lines.LineOf(places[i]);
            for (const double hours : {-12.0, -6.0, 0.0, 6.0, 12.0}) {
                const auto [ra, dec] = judge::TargetPlace(Truth(kStars[i]), dayCount, hours);
                worst[i] = std::max(worst[i], judge::JudgeLine(line, dayCount, ra, dec, hours).separationArcsec);
            }
        }
    }
    return worst;
}

// The stars as fixed-column lines: the place rounded to the columns, the
// keyed values as Gaia gives them.
std::vector<ObjectPlace> FixedColumnPlaces() {
    std::vector<ObjectPlace> places;
    for (const Star& star : kStars) {
        double hours = star.raDeg / 15;
        const int h = static_cast<int>(hours);
        const int m = static_cast<int>((hours - h) * 60);
        const double s = ((hours - h) * 60 - m) * 60;
        const double dec = std::fabs(star.decDeg);
        const int d = static_cast<int>(dec);
        const int dm = static_cast<int>((dec - d) * 60);
        const double ds = ((dec - d) * 60 - dm) * 60;
        char ra[64], de[64], magnitude[32];
        std::snprintf(ra, sizeof ra, "%02d %02d %05.2f", h, m, s);
        std::snprintf(de, sizeof de, "%c%02d %02d %04.1f", star.decDeg < 0 ? '-' : '+', d, dm, ds);
        std::snprintf(magnitude, sizeof magnitude, "%4.1f", star.magnitude);
        std::string line = testing::ObjectLine("S", ra, de, magnitude);
        if (star.moves) {
            line += " ep=2016.0 pm=" + Number(star.pmRaMasPerYear) + "," + Number(star.pmDecMasPerYear);
            if (!std::isnan(star.parallaxMas)) line += " plx=" + Number(star.parallaxMas);
            if (!std::isnan(star.radialVelocityKmPerS)) line += " rv=" + Number(star.radialVelocityKmPerS);
        }
        places.push_back(ReadObjectPlace(line));
    }
    return places;
}

TEST(TablesAgainstErfa, PlaceEachStarAsWellAsItsCatalogueGivesIt) {
    const std::vector<double> fixedWorst = WorstOfEachStar(FixedColumnPlaces());
    const struct {
        const char* source;
        TableKind kind;
        std::function<std::string()> bytes;
        double epochJulianYear;  // of the places the run must take
    } tables[] = {
        {"the Gaia archive's CSV", TableKind::kCsv, GaiaCsv, 2016.0},
        {"VizieR's TSV, own place and _RAJ2000", TableKind::kVizierTsv, [] { return VizierTsv(true); }, 2016.0},
        {"VizieR's TSV, _RAJ2000 alone", TableKind::kVizierTsv, [] { return VizierTsv(false); }, 2000.0},
        {"ECSV", TableKind::kEcsv, Ecsv, 2016.0},
        {"VOTable, TABLEDATA", TableKind::kVoTable, VoTableTableData, 2016.0},
        {"VOTable, BINARY2", TableKind::kVoTable, VoTableBinary2, 2016.0},
        {"SIMBAD's CSV", TableKind::kCsv, SimbadCsv, 2000.0},
    };
    for (const auto& table : tables) {
        SCOPED_TRACE(table.source);
        const std::string bytes = table.bytes();
        ASSERT_EQ(ObjectListKindOf(bytes), table.kind);
        testing::PieceSource source(bytes);
        const ObjectTable read = ReadObjectTable(table.kind, source, std::nullopt, "table");
        ASSERT_EQ(read.objects.size(), std::size(kStars));
        std::vector<ObjectPlace> places;
        for (std::size_t i = 0; i < read.objects.size(); ++i) {
            const ObjectPlace& place = read.objects[i].place;
            EXPECT_EQ(place.name, kStars[i].name);
            if (place.motion) {
                EXPECT_EQ(place.motion->epochJulianYear, table.epochJulianYear);
            }
            places.push_back(place);
        }
        const std::vector<double> worst = WorstOfEachStar(places);
        for (std::size_t i = 0; i < worst.size(); ++i) {
            SCOPED_TRACE(kStars[i].name);
            EXPECT_LT(worst[i], 0.05);
            // The columns of a fixed line round the place to 0.075" at
            // most; a table's full digits are never worse, within 0.002" for
            // the J2000 places ERFA moved here.
            EXPECT_LE(worst[i], fixedWorst[i] + 0.002);
        }
        std::printf("[ tables   ] %-38s worst %.4f\" (fixed-column lines: %.4f\")\n", table.source,
                    *std::max_element(worst.begin(), worst.end()),
                    *std::max_element(fixedWorst.begin(), fixedWorst.end()));
    }
}

}  // namespace
}  // namespace celestra
