// The delimited tables read as their writers write them, in pieces of any
// size: the cells a row hands on, where each row stood, the columns'
// descriptions, and every refusal with its place and reason.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/table_source.h"
#include "text/table.h"

namespace celestra {
namespace {

using testing::PieceSource;
using testing::RecordingSink;

// Every read is tried with the bytes one at a time, a few at a time, and
// all at once: a record cut between two pieces must read as a whole one.
constexpr std::size_t kPieceSizes[] = {1, 3, 64, testing::kWhole};

struct Read {
    std::vector<TableColumn> columns;
    std::vector<std::string> rows;
    std::vector<std::uint64_t> lines;
};

Read ReadAll(TableKind kind, const std::string& bytes, std::vector<std::string> wanted, std::size_t pieceBytes) {
    PieceSource source(bytes, pieceBytes);
    RecordingSink sink(std::move(wanted));
    ReadDelimitedTable(kind, source, sink);
    Read read{sink.columns, {}, sink.lines};
    for (const std::vector<std::string>& cells : sink.rows) {
        std::string row;
        for (std::size_t i = 0; i < cells.size(); ++i) row += (i > 0 ? "|" : "") + cells[i];
        read.rows.push_back(row);
    }
    return read;
}

TEST(DelimitedTable, HandsOnTheWantedCellsOfEachRow) {
    const struct {
        const char* what;
        TableKind kind;
        std::string bytes;
        std::vector<std::string> wanted;
        std::vector<std::string> rows;
        std::vector<std::uint64_t> lines;  // where each row begins
    } cases[] = {
        {"CSV as the Gaia archive writes it, nulls empty",
         TableKind::kCsv,
         "solution_id,designation,ra,dec,pmra\n1,Gaia DR3 1,10.5,-3.25,\n1,Gaia DR3 2,11,4,-801.551\n",
         {"designation", "ra", "pmra"},
         {"Gaia DR3 1|10.5|", "Gaia DR3 2|11|-801.551"},
         {2, 3}},
        {"CR LF, a byte-order mark, the last line without its end",
         TableKind::kCsv,
         "\xEF\xBB\xBFname,ra\r\nA,1\r\nB,2",
         {},
         {"A|1", "B|2"},
         {2, 3}},
        {"quoted fields, doubled quotes, a delimiter and a line end inside",
         TableKind::kCsv,
         "main_id,ra,note\n\"V* RR Lyr\",291.37,\"a, \"\"b\"\"\nc\"\n\"HD 1\",\"1\",x\n",
         {"main_id", "note"},
         {"V* RR Lyr|a, \"b\"\nc", "HD 1|x"},
         {2, 4}},
        {"a quote inside a plain field is a character",
         TableKind::kCsv,
         "name,ra\nO'Brien 5\"x,1\n",
         {},
         {"O'Brien 5\"x|1"},
         {2}},
        {"blank lines between rows are skipped",
         TableKind::kCsv,
         "name,ra\nA,1\n\n\r\nB,2\n",
         {},
         {"A|1", "B|2"},
         {2, 5}},
        {"VizieR's TSV: comments, names, units, dashes, padded cells, a blank line ends it",
         TableKind::kVizierTsv,
         "#\n#   VizieR Astronomical Server\n#Column\t_RAJ2000\t(F12.8)\tRight ascension (FK5, Equinox=J2000.0) "
         "at Epoch=J2000\t[ucd=pos.eq.ra]\n"
         "_RAJ2000\tSource\tGmag\ndeg\t\tmag\n------------\t---\t-----\n"
         "269.45207\t 4472832130942575872\t 8.19 \n 10.0\t2\t\n\n#RESOURCE=another\nx\ty\tz\n",
         {},
         {"269.45207|4472832130942575872|8.19", "10.0|2|"},
         {7, 8}},
        {"ECSV, comma-delimited, with quoted cells",
         TableKind::kEcsv,
         "# %ECSV 1.0\n# ---\n# delimiter: ','\n# datatype:\n# - {name: name, datatype: string}\n"
         "# - {name: ra, unit: deg, datatype: float64}\nname,ra\n\"a,b\",1.5\nc,2\n",
         {},
         {"a,b|1.5", "c|2"},
         {8, 9}},
        {"ECSV, blank-delimited, as astropy writes it",
         TableKind::kEcsv,
         "# %ECSV 1.0\n# ---\n# datatype:\n# - {name: main_id, datatype: string}\n# - {name: V, unit: mag, "
         "datatype: float64}\nmain_id V\n\"V* RR Lyr\" 7.76\nHD_1 \"\"\n",
         {},
         {"V* RR Lyr|7.76", "HD_1|"},
         {7, 8}},
    };
    for (const auto& row : cases) {
        for (const std::size_t pieceBytes : kPieceSizes) {
            SCOPED_TRACE(std::string(row.what) + ", pieces of " + std::to_string(pieceBytes));
            const Read read = ReadAll(row.kind, row.bytes, row.wanted, pieceBytes);
            EXPECT_EQ(read.rows, row.rows);
            EXPECT_EQ(read.lines, row.lines);
        }
    }
}

TEST(DelimitedTable, DescribesColumnsAsTheirHeadersDo) {
    const std::string vizier =
        "#Column\tRA_ICRS\t(F15.11)\tRight ascension (ICRS) at Ep=2016.0 (ra)\t[ucd=pos.eq.ra;meta.main]\n"
        "#Column\tpmRA\t(F9.3)\tProper motion in RA, pmRA*cosDE\t[ucd=pos.pm;pos.eq.ra]\n"
        "RA_ICRS\tpmRA\tName\ndeg\tmas/yr\t\n---\t---\t---\n1\t2\tA\n";
    const Read fromVizier = ReadAll(TableKind::kVizierTsv, vizier, {}, testing::kWhole);
    ASSERT_EQ(fromVizier.columns.size(), 3u);
    EXPECT_EQ(fromVizier.columns[0].ucd, "pos.eq.ra;meta.main");
    EXPECT_EQ(fromVizier.columns[0].description, "Right ascension (ICRS) at Ep=2016.0 (ra)");
    EXPECT_EQ(fromVizier.columns[0].unit, "deg");
    EXPECT_EQ(fromVizier.columns[1].unit, "mas/yr");
    EXPECT_EQ(fromVizier.columns[1].description, "Proper motion in RA, pmRA*cosDE");
    EXPECT_EQ(fromVizier.columns[2].unit, "");

    // The block style of the Gaia archive's ECSV, with its nested "meta".
    const std::string ecsv =
        "# %ECSV 1.0\n# ---\n# delimiter: ','\n# datatype:\n# -\n#   name: ra\n#   datatype: float64\n"
        "#   unit: deg\n#   description: 'Right ascension, at Ep=2016.0'\n"
        "#   meta: {ucd: pos.eq.ra;meta.main, utype: x}\n# - name: pmra\n#   unit: mas / yr\n"
        "# meta: {name: gaiadr3.gaia_source}\nra,pmra\n1,2\n";
    const Read fromEcsv = ReadAll(TableKind::kEcsv, ecsv, {}, testing::kWhole);
    ASSERT_EQ(fromEcsv.columns.size(), 2u);
    EXPECT_EQ(fromEcsv.columns[0].name, "ra");
    EXPECT_EQ(fromEcsv.columns[0].unit, "deg");
    EXPECT_EQ(fromEcsv.columns[0].ucd, "pos.eq.ra;meta.main");
    EXPECT_EQ(fromEcsv.columns[0].description, "Right ascension, at Ep=2016.0");
    EXPECT_EQ(fromEcsv.columns[1].unit, "mas / yr");
    EXPECT_EQ(fromEcsv.rows, (std::vector<std::string>{"1|2"}));
}

TEST(DelimitedTable, RefusesWhatBreaksTheFormatSayingWhereAndWhy) {
    const struct {
        const char* what;
        TableKind kind;
        std::string bytes;
        TablePlace where;
        const char* column;
        const char* reason;
    } cases[] = {
        {"an empty file",
         TableKind::kCsv,
         "",
         {0, 0},
         "",
         "la tabla no tiene cabecera con los nombres de las columnas"},
        {"comments only",
         TableKind::kCsv,
         "# nothing\n\n",
         {2, 0},
         "",
         "la tabla no tiene cabecera con los nombres de las columnas"},
        {"a quoted field left open",
         TableKind::kCsv,
         "name,ra,dec\nA,1,2\n\"B,3,4\nC,5,6\n",
         {3, 2},
         "name",
         "comillas sin cerrar"},
        {"a row short of fields",
         TableKind::kCsv,
         "name,ra,dec\nA,1,2\nB,3\n",
         {3, 2},
         "dec",
         "la fila tiene 2 campos y la cabecera 3"},
        {"a row with a field too many",
         TableKind::kCsv,
         "name,ra\nA,1,2\n",
         {2, 1},
         "ra",
         "la fila tiene 3 campos y la cabecera 2"},
        {"text after a closing quote",
         TableKind::kCsv,
         "name,ra\n\"A\"x,1\n",
         {2, 1},
         "name",
         "comillas dentro de un campo sin comillas"},
        {"VizieR without its units and dashes",
         TableKind::kVizierTsv,
         "#x\nname\tra\nA\t1\n",
         {2, 0},
         "",
         "faltan las líneas de unidades y de guiones tras los nombres"},
        {"ECSV without its columns",
         TableKind::kEcsv,
         "# %ECSV 1.0\n# ---\nname,ra\n",
         {3, 0},
         "",
         "cabecera ECSV sin lista de columnas (datatype)"},
        {"ECSV whose names differ from its header's",
         TableKind::kEcsv,
         "# %ECSV 1.0\n# ---\n# datatype:\n# - {name: a}\n# - {name: b}\na c\n1 2\n",
         {6, 0},
         "",
         "los nombres de las columnas no son los de la cabecera ECSV"},
    };
    for (const auto& row : cases) {
        for (const std::size_t pieceBytes : kPieceSizes) {
            SCOPED_TRACE(std::string(row.what) + ", pieces of " + std::to_string(pieceBytes));
            try {
                ReadAll(row.kind, row.bytes, {}, pieceBytes);
                ADD_FAILURE() << "read without a refusal";
            } catch (const TableError& error) {
                EXPECT_EQ(error.where().line, row.where.line);
                EXPECT_EQ(error.where().row, row.where.row);
                EXPECT_EQ(error.column(), row.column);
                EXPECT_EQ(error.reason(), row.reason);
            }
        }
    }
}

TEST(TableKind, IsToldFromTheContent) {
    const struct {
        std::string head;
        TableKind kind;
    } cases[] = {
        {"STAR01    07 33 41.30  +67 32 14.8  12.5\r\n", TableKind::kNotATable},
        {"", TableKind::kNotATable},
        {"solution_id,designation,ra\n1,Gaia DR3 1,2\n", TableKind::kCsv},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<VOTABLE version=\"1.4\">", TableKind::kVoTable},
        {"  <VOTABLE>", TableKind::kVoTable},
        {"<html><body>", TableKind::kNotATable},
        {"# %ECSV 1.0\n# ---\n", TableKind::kEcsv},
        {"#\n#Column\tRA\n\nRA\tDE\ndeg\tdeg\n---\t---\n1\t2\n", TableKind::kVizierTsv},
        {"# a list\nNAME\tRA\tDEC\n", TableKind::kNotATable},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.head);
        EXPECT_EQ(TableKindOf(row.head), row.kind);
    }
}

}  // namespace
}  // namespace celestra
