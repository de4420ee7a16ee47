// A catalogue table as an object list: which column plays which part, in
// what unit and at what epoch, the keys of long names, and every refusal as
// the run shows it.
#include "core/object_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "astro/angles.h"
#include "astro/sun.h"
#include "support/table_source.h"

namespace celestra {
namespace {

using testing::PieceSource;
using ::testing::ThrowsMessage;

ObjectTable Read(TableKind kind, const std::string& bytes, std::optional<double> epoch = std::nullopt) {
    PieceSource source(bytes);
    return ReadObjectTable(kind, source, epoch, "lista.csv");
}

double Degrees(double radians) { return astro::RadiansToDegrees(radians); }

// Places, motion and magnitude exactly as the cells read, or to a
// thousandth of a milliarcsecond where a conversion comes between.
constexpr double kDegreesTolerance = 1e-9;

TEST(ObjectTable, TakesEachColumnForWhatItMeans) {
    const struct {
        const char* what;
        TableKind kind;
        std::string bytes;
        const char* designation;
        const char* name;  // the element line's name field, when a key stands for it
        double raDeg, decDeg, magnitude;
        bool moving;
        double pmRa, pmDec, parallax, radialVelocity, epoch;
        const char* magnitudeColumn;
    } cases[] = {
        {"the Gaia archive: ref_epoch per row, G", TableKind::kCsv,
         "solution_id,designation,source_id,ref_epoch,ra,ra_error,dec,parallax,pmra,pmdec,phot_g_mean_mag,"
         "radial_velocity\n1,Gaia DR3 4472832130942575872,4472832130942575872,2016.0,269.44850252543836,0.02,"
         "4.739420051112412,546.975939730948,-801.5509783684709,10362.394206546573,8.193549,-110.46\n",
         "", "Gaia DR3 4472832130942575872", 269.44850252543836, 4.739420051112412, 8.193549, true, -801.5509783684709,
         10362.394206546573, 546.975939730948, -110.46, 2016.0, "phot_g_mean_mag"},
        {"SIMBAD: J2000 places, V before G, a null parallax", TableKind::kCsv,
         "main_id,ra,dec,pmra,pmdec,plx_value,rvz_radvel,G,V\n\"* alf UMi\",37.95456067,89.26410897,44.48,-11.85,,"
         "-16.42,1.8,1.98\n",
         "", "* alf UMi", 37.95456067, 89.26410897, 1.98, true, 44.48, -11.85, 0, -16.42, 2000.0, "V"},
        {"a name that fits stays itself; no motion column, no motion", TableKind::kCsv,
         "main_id,ra,dec,Vmag\nHD 1,10,-20,7.5\n", "HD 1    ", "", 10, -20, 7.5, false, 0, 0, 0, 0, 0, "Vmag"},
        {"HIP numbers read after their catalogue's name", TableKind::kVizierTsv,
         "#Column\tRAdeg\t(F12.8)\tRight ascension at Epoch=J1991.25\n"
         "HIP\tRAdeg\tDEdeg\tpmRA\tpmDE\tPlx\tVmag\n\tdeg\tdeg\tmas/yr\tmas/yr\tmas\tmag\n-\t-\t-\t-\t-\t-\t-\n"
         "  87937\t269.45402305\t4.66828815\t-797.84\t10326.93\t549.01\t 9.54\n",
         "", "HIP 87937", 269.45402305, 4.66828815, 9.54, true, -797.84, 10326.93, 549.01, 0, 1991.25, "Vmag"},
        {"VizieR: the catalogue's own place at its epoch before _RAJ2000", TableKind::kVizierTsv,
         "#Column\tRA_ICRS\t(F15.11)\tRight ascension (ICRS) at Ep=2016.0\t[ucd=pos.eq.ra;meta.main]\n"
         "_RAJ2000\t_DEJ2000\tRA_ICRS\tDE_ICRS\tSource\tpmRA\tpmDE\tGmag\n"
         "\"h:m:s\"\t\"d:m:s\"\tdeg\tdeg\t\tmas/yr\tmas/yr\tmag\n-\t-\t-\t-\t-\t-\t-\t-\n"
         "17 57 48.49\t+04 41 36.2\t269.448502525\t4.739420051\t4472832130942575872\t-801.551\t10362.394\t8.19\n",
         "", "4472832130942575872", 269.448502525, 4.739420051, 8.19, true, -801.551, 10362.394, 0, 0, 2016.0, "Gmag"},
        {"VizieR: _RAJ2000 alone, sexagesimal, moved from J2000", TableKind::kVizierTsv,
         "_RAJ2000\t_DEJ2000\tName\tpmRA\tpmDE\tVmag\n\"h:m:s\"\t\"d:m:s\"\t\tmas/yr\tmas/yr\tmag\n-\t-\t-\t-\t-\t-\n"
         "17 57 48.49\t-04 41 36.2\tBarnard\t-801.551\t10362.394\t9.5\n",
         "Barnard ", "", (17 + 57 / 60.0 + 48.49 / 3600) * 15, -(4 + 41 / 60.0 + 36.2 / 3600), 9.5, true, -801.551,
         10362.394, 0, 0, 2000.0, "Vmag"},
        {"ECSV in arc seconds a year and arc seconds", TableKind::kEcsv,
         "# %ECSV 1.0\n# ---\n# datatype:\n# - {name: Name, datatype: string}\n"
         "# - {name: ra, unit: deg, description: 'Right ascension at Ep=2015.5'}\n"
         "# - {name: dec, unit: deg}\n# - {name: pmra, unit: arcsec / yr}\n# - {name: plx, unit: arcsec}\n"
         "# - {name: Bmag, unit: mag}\n# - {name: e_Rmag, unit: mag}\nName ra dec pmra plx Bmag e_Rmag\n"
         "Star 1.5 -2.5 0.25 0.1 12 0.1\n",
         "Star    ", "", 1.5, -2.5, 12, true, 250, 0, 100, 0, 2015.5, "Bmag"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        const ObjectTable table = Read(row.kind, row.bytes);
        ASSERT_EQ(table.objects.size(), 1u);
        const ObjectPlace& place = table.objects[0].place;
        const std::string key = row.designation[0] != '\0' ? row.designation : DesignationKeyOf(row.name) + "";
        EXPECT_EQ(place.designation, key);
        EXPECT_EQ(place.name, row.name);
        EXPECT_NEAR(Degrees(place.raRad), row.raDeg, kDegreesTolerance);
        EXPECT_NEAR(Degrees(place.decRad), row.decDeg, kDegreesTolerance);
        EXPECT_EQ(place.magnitude, row.magnitude);
        EXPECT_EQ(table.magnitudeColumn, row.magnitudeColumn);
        ASSERT_EQ(place.motion.has_value(), row.moving);
        if (!row.moving) continue;
        EXPECT_NEAR(place.motion->pmRaCosDecMasPerYear, row.pmRa, 1e-9);
        EXPECT_NEAR(place.motion->pmDecMasPerYear, row.pmDec, 1e-9);
        EXPECT_NEAR(place.motion->parallaxMas, row.parallax, 1e-9);
        EXPECT_EQ(place.motion->radialVelocityKmPerS, row.radialVelocity);
        EXPECT_EQ(place.motion->epochJulianYear, row.epoch);
    }
}

TEST(ObjectTable, TheBatchEpochServesPlacesWhoseTableDoesNotTellIt) {
    const std::string bytes = "designation,ra,dec,pmra,pmdec,phot_g_mean_mag\nX,1,2,3,4,5\n";
    EXPECT_THAT([&] { Read(TableKind::kCsv, bytes); },
                ThrowsMessage<ObjectListError>(
                    "Error de formato para lista.csv\ncolumna 'ra': época de las posiciones desconocida: añada a la "
                    "tabla una columna de época (ref_epoch o Epoch) o dé la época con la opción --epoch de "
                    "celestra-batch"));
    const ObjectTable table = Read(TableKind::kCsv, bytes, 2016.0);
    ASSERT_TRUE(table.objects.at(0).place.motion);
    EXPECT_EQ(table.objects[0].place.motion->epochJulianYear, 2016.0);
}

TEST(DesignationKey, IsTheNameWhenItFitsAndStableLettersWhenNot) {
    EXPECT_EQ(DesignationKeyOf("HD 1234"), "HD 1234");
    EXPECT_EQ(DesignationKeyOf("12345678"), "12345678");
    const std::string key = DesignationKeyOf("Gaia DR3 4472832130942575872");
    EXPECT_EQ(key.size(), 8u);
    EXPECT_EQ(key.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos);
    EXPECT_EQ(DesignationKeyOf("Gaia DR3 4472832130942575872"), key) << "the next run must find the same key";
    // Names that differ in one digit, as a catalogue's neighbours do, get
    // keys of their own.
    std::set<std::string> keys;
    for (int i = 0; i < 20000; ++i)
        keys.insert(DesignationKeyOf("Gaia DR3 44728321309425" + std::to_string(10000 + i)));
    EXPECT_EQ(keys.size(), 20000u);
}

TEST(ObjectTable, RefusesSayingWhereAndWhy) {
    const struct {
        TableKind kind;
        std::string bytes;
        std::string message;
    } cases[] = {
        {TableKind::kCsv, "designation,ra,phot_g_mean_mag\nA,1,2\n",
         "Error de formato para lista.csv\nfalta la columna de declinación (dec, DE_ICRS, _DEJ2000, DEJ2000 o una "
         "de UCD pos.eq.dec)"},
        {TableKind::kCsv, "designation,pmra,phot_g_mean_mag\nA,1,2\n",
         "Error de formato para lista.csv\nfalta la columna de ascensión recta (ra, RA_ICRS, _RAJ2000, RAJ2000 o "
         "una de UCD pos.eq.ra)"},
        {TableKind::kCsv, "ra,dec,phot_g_mean_mag,ref_epoch\n1,2,3,2016\n",
         "Error de formato para lista.csv\nfalta una columna de nombre (designation, main_id, Name, source_id o UCD "
         "meta.id;meta.main)"},
        {TableKind::kCsv, "designation,ra,dec,ref_epoch\nA,1,2,2016\n",
         "Error de formato para lista.csv\nfalta una columna de magnitud (V, Vmag, G, phot_g_mean_mag o unidad mag)"},
        {TableKind::kVizierTsv, "Name\t_RAJ2000\t_DEJ2000\tVmag\n\thourangle\tdeg\tmag\n-\t-\t-\t-\nA\t1\t2\t3\n",
         "Error de formato para lista.csv\ncolumna '_RAJ2000': unidad 'hourangle' desconocida"},
        {TableKind::kVizierTsv, "Name\t_RAJ2000\t_DEJ2000\tpmRA\tVmag\n\tdeg\tdeg\tmas/d\tmag\n-\t-\t-\t-\t-\n",
         "Error de formato para lista.csv\ncolumna 'pmRA': unidad 'mas/d' desconocida"},
        {TableKind::kCsv, "designation,ra,dec,pmra,phot_g_mean_mag,ref_epoch\nA,1,2,3,4,2016\nB,1,2,abc,4,2016\n",
         "Error de formato para B\nfila 2 (línea 3), columna 'pmra': 'abc' no es un número"},
        {TableKind::kCsv, "designation,ra,dec,parallax,phot_g_mean_mag,ref_epoch\nA,1,2,20000,4,2016\n",
         "Error de formato para A\nfila 1 (línea 2), columna 'parallax': paralaje fuera de rango"},
        {TableKind::kCsv, "designation,ra,dec,phot_g_mean_mag,ref_epoch\nA,1,,4,2016\n",
         "Error de formato para A\nfila 1 (línea 2), columna 'dec': falta la declinación"},
        {TableKind::kCsv, "designation,ra,dec,phot_g_mean_mag,ref_epoch\nA,360,1,4,2016\n",
         "Error de formato para A\nfila 1 (línea 2), columna 'ra': ascensión recta fuera de rango"},
        {TableKind::kCsv, "designation,ra,dec,phot_g_mean_mag,ref_epoch\nA,1,2,,2016\n",
         "Error de formato para A\nfila 1 (línea 2), columna 'phot_g_mean_mag': falta la magnitud"},
        {TableKind::kCsv, "designation,ra,dec,phot_g_mean_mag,ref_epoch\nA,1,2,4,16\n",
         "Error de formato para A\nfila 1 (línea 2), columna 'ref_epoch': época fuera de rango"},
        {TableKind::kCsv, "designation,ra,dec,phot_g_mean_mag,ref_epoch\nA,1,2,4,2016\n ,1,2,4,2016\n",
         "Error de formato para lista.csv\nfila 2 (línea 3), columna 'designation': falta el nombre"},
        {TableKind::kCsv,
         "designation,ra,dec,phot_g_mean_mag,ref_epoch\nGaia DR3 12345,1,2,4,2016\nX,1,2,4,2016\n"
         "Gaia DR3 12345,3,4,5,2016\n",
         "Error de formato para Gaia DR3 12345\nfila 3 (línea 4), columna 'designation': la clave '" +
             DesignationKeyOf("Gaia DR3 12345") + "' es también la de la fila 1 ('Gaia DR3 12345')"},
        {TableKind::kCsv, "designation,ra,dec,phot_g_mean_mag,ref_epoch\nA,1,2,4,2016\nB,1\n",
         "Error de formato para lista.csv\nfila 2 (línea 3), columna 'dec': la fila tiene 2 campos y la cabecera 5"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.bytes);
        EXPECT_THAT([&] { Read(row.kind, row.bytes); }, ThrowsMessage<ObjectListError>(row.message));
    }
}

TEST(ObjectListKind, TakesACsvOnlyWhenItsHeaderNamesAKnownColumn) {
    const struct {
        std::string head;
        TableKind kind;
    } cases[] = {
        {"solution_id,designation,source_id,ref_epoch,ra\n", TableKind::kCsv},
        {"main_id,ra,dec\n", TableKind::kCsv},
        {"Nombre, AR, Dec, Mag\nSTAR01    07 33 41.30  +67 32 14.8  12.5\n", TableKind::kNotATable},
        {"STAR01    07 33 41.30  +67 32 14.8  12.5 pm=1,2\n", TableKind::kNotATable},
        {"# %ECSV 1.0\n", TableKind::kEcsv},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.head);
        EXPECT_EQ(ObjectListKindOf(row.head), row.kind);
    }
}

}  // namespace
}  // namespace celestra
