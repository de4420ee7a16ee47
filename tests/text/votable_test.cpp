#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "support/binary_stream.h"
#include "support/table_source.h"
#include "text/table.h"

namespace celestra {
namespace {

using testing::Base64;
using testing::BigEndianWriter;
using Rows = testing::RecordingSink::Rows;
using testing::kWhole;
using testing::PieceSource;
using testing::RecordingSink;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kFloatNaN = std::numeric_limits<float>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The document in pieces of `piece` bytes: 1 and 3 cut every token and
// every UTF-8 sequence somewhere; the whole file comes in one piece.
constexpr std::size_t kPieces[] = {1, 3, kWhole};

std::vector<std::string> Names(const std::vector<TableColumn>& columns) {
    std::vector<std::string> names;
    for (const TableColumn& column : columns) names.push_back(column.name);
    return names;
}

// A VOTable of one table: the XML declaration on line 1, VOTABLE on 2,
// RESOURCE on 3, TABLE on 4, the fields from line 5, then DATA on a line of
// its own and the data from the next.
std::string Document(const std::string& fields, const std::string& data) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<VOTABLE version=\"1.4\" xmlns=\"http://www.ivoa.net/xml/VOTable/v1.3\">\n"
           "<RESOURCE type=\"results\">\n"
           "<TABLE>\n" +
           fields + "\n<DATA>\n" + data + "\n</DATA>\n</TABLE>\n</RESOURCE>\n</VOTABLE>\n";
}

std::string Stream(const std::string& element, const std::string& base64) {
    return "<" + element + ">\n<STREAM encoding=\"base64\">\n" + base64 + "\n</STREAM>\n</" + element + ">";
}

std::string Binary2(const std::string& bytes, std::size_t lineLength = 76) {
    return Stream("BINARY2", Base64(bytes, lineLength));
}

// ---- The tables read ----------------------------------------------------------

const std::string kGaiaTabledata = R"(<?xml version="1.0" encoding="UTF-8"?>
<VOTABLE version="1.4" xmlns="http://www.ivoa.net/xml/VOTable/v1.3">
<RESOURCE type="results">
<INFO name="QUERY_STATUS" value="OK"/>
<COOSYS ID="GAIADR3" epoch="J2016.0" system="ICRS"/>
<TABLE>
<DESCRIPTION>Not a column's</DESCRIPTION>
<PARAM name="release" datatype="char" arraysize="*" value="DR3"><DESCRIPTION>Nor this</DESCRIPTION></PARAM>
<FIELD name="source_id" datatype="long" ucd="meta.id;meta.main">
  <DESCRIPTION>
    Unique source identifier
  </DESCRIPTION>
  <DESCRIPTION>A second one, not taken</DESCRIPTION>
</FIELD>
<FIELD name="ra" datatype="double" ref="GAIADR3" ucd="pos.eq.ra;meta.main" unit="deg"/>
<FIELD name="dec" datatype="double" ref="GAIADR3" ucd="pos.eq.dec;meta.main" unit="deg"/>
<FIELD name="phot_g_mean_mag" datatype="float" unit="mag"/>
<FIELD name="designation" datatype="char" arraysize="*"/>
<GROUP name="position"><FIELDref ref="ra"/></GROUP>
<DATA>
<TABLEDATA>
<TR><TD>4295806720</TD><TD>44.99615537864534</TD><TD>0.005615226341</TD><TD>17.64</TD><TD>Gaia DR3 4295806720</TD></TR>
<TR>
  <TD>  34361129088 </TD><TD/><TD></TD><TD>NaN</TD>
  <TD>A &amp; B &lt;C&gt; &#233; &#x20AC;</TD>
</TR>
</TABLEDATA>
</DATA>
</TABLE>
</RESOURCE>
<INFO name="QUERY_STATUS" value="OVERFLOW"/>
</VOTABLE>
)";

const Rows kGaiaTabledataRows = {
    {"4295806720", "44.99615537864534", "0.005615226341", "17.64", "Gaia DR3 4295806720"},
    {"34361129088", "", "", "", "A & B <C> \xC3\xA9 \xE2\x82\xAC"},
};

// As the Gaia archive writes it: BINARY2, a long for the source, doubles
// for the astrometry, floats for the photometry, strings of any length.
const std::string kGaiaFields = R"(<FIELD datatype="long" name="source_id" ucd="meta.id;meta.main"/>
<FIELD arraysize="*" datatype="char" name="designation" ucd="meta.id;meta.main"/>
<FIELD datatype="double" name="ra" ref="GAIADR3" ucd="pos.eq.ra;meta.main" unit="deg"/>
<FIELD datatype="double" name="dec" ref="GAIADR3" ucd="pos.eq.dec;meta.main" unit="deg"/>
<FIELD datatype="double" name="parallax" unit="mas"/>
<FIELD datatype="double" name="pmra" unit="mas.yr**-1"/>
<FIELD datatype="double" name="pmdec" unit="mas.yr**-1"/>
<FIELD datatype="float" name="phot_g_mean_mag" unit="mag"/>
<FIELD datatype="double" name="ref_epoch" unit="yr"/>
<FIELD datatype="float" name="radial_velocity" unit="km.s**-1"/>)";

std::string GaiaBytes() {
    BigEndianWriter w;
    w.NullFlags({false, false, false, false, false, false, false, false, false, false})
        .Long(5853498713190525696)
        .Count(28)
        .Bytes("Gaia DR3 5853498713190525696")
        .Double(217.392321472009)
        .Double(-62.6760751167667)
        .Double(768.066539187357)
        .Double(-3781.31594906418)
        .Double(769.764003359526)
        .Float(8.98475f)
        .Double(2016.0)
        .Float(-22.4f);
    // The astrometry and the velocity flagged null, written as NaN.
    w.NullFlags({false, false, false, false, true, true, true, false, false, true})
        .Long(4295806720)
        .Count(19)
        .Bytes("Gaia DR3 4295806720")
        .Double(44.9961553786453)
        .Double(0.00561522634141)
        .Double(kNaN)
        .Double(kNaN)
        .Double(kNaN)
        .Float(17.6412f)
        .Double(2016.0)
        .Float(kFloatNaN);
    return w.bytes();
}

const Rows kGaiaRows = {
    {"5853498713190525696", "Gaia DR3 5853498713190525696", "217.392321472009", "-62.6760751167667", "768.066539187357",
     "-3781.31594906418", "769.764003359526", "8.98475", "2016", "-22.4"},
    {"4295806720", "Gaia DR3 4295806720", "44.9961553786453", "0.00561522634141", "", "", "", "17.6412", "2016", ""},
};

// Every datatype, scalar and array, fixed and variable: 19 columns, so
// three bytes of null flags.
const std::string kEveryTypeFields = R"(<FIELD name="b" datatype="boolean"/>
<FIELD name="bit1" datatype="bit"/>
<FIELD name="bits" datatype="bit" arraysize="10"/>
<FIELD name="ub" datatype="unsignedByte"/>
<FIELD name="s" datatype="short"/>
<FIELD name="i" datatype="int"/>
<FIELD name="l" datatype="long"/>
<FIELD name="c" datatype="char"/>
<FIELD name="c8" datatype="char" arraysize="8"/>
<FIELD name="cv" datatype="char" arraysize="*"/>
<FIELD name="u" datatype="unicodeChar" arraysize="*"/>
<FIELD name="f" datatype="float"/>
<FIELD name="d" datatype="double"/>
<FIELD name="fc" datatype="floatComplex"/>
<FIELD name="dc" datatype="doubleComplex"/>
<FIELD name="ia" datatype="int" arraysize="3"/>
<FIELD name="dv" datatype="double" arraysize="*"/>
<FIELD name="s2x2" datatype="short" arraysize="2x2"/>
<FIELD name="blob" datatype="unsignedByte" arraysize="10*"/>)";

std::string EveryTypeBytes() {
    using namespace std::string_literals;
    constexpr bool o = false;
    constexpr bool N = true;
    BigEndianWriter w;
    w.NullFlags({o, o, o, o, o, o, o, o, o, o, o, o, o, o, o, o, o, o, o})
        .Bytes("T")
        .Byte(0x80)
        .Byte(0xB0)
        .Byte(0x40)  // 1011 0000 01, then padding
        .Byte(255)
        .Short(-32768)
        .Int(2147483647)
        .Long(std::numeric_limits<std::int64_t>::min())
        .Bytes("x")
        .Bytes("ab\0\0\0\0\0\0"s)
        .Count(10)
        .Bytes("Gaia DR3 1")
        .Count(5)
        .Units(u"\u03A9\u00E9\u20AC\U0001F600")  // the last as a surrogate pair
        .Float(0.1f)
        .Double(0.1 + 0.2)
        .Float(1.5f)
        .Float(-2.25f)
        .Double(1e300)
        .Double(-0.0)
        .Int(1)
        .Int(-2)
        .Int(3)
        .Count(2)
        .Double(kNaN)
        .Double(kInfinity)
        .Short(1)
        .Short(2)
        .Short(3)
        .Short(4)
        .Count(3)
        .Byte(0)
        .Byte(1)
        .Byte(255);
    // Every cell flagged null: zeros, NaN, empty variable arrays.
    w.NullFlags({N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N})
        .Bytes("\0"s)
        .Byte(0)
        .Byte(0)
        .Byte(0)
        .Byte(0)
        .Short(0)
        .Int(0)
        .Long(0)
        .Bytes("\0"s)
        .Bytes(std::string(8, '\0'))
        .Count(0)
        .Count(0)
        .Float(kFloatNaN)
        .Double(kNaN)
        .Float(kFloatNaN)
        .Float(kFloatNaN)
        .Double(kNaN)
        .Double(kNaN)
        .Int(0)
        .Int(0)
        .Int(0)
        .Count(0)
        .Short(0)
        .Short(0)
        .Short(0)
        .Short(0)
        .Count(0);
    // Some flagged, with values that would show if read; some unflagged
    // nulls: a boolean '?', a NaN, two NaN parts.
    w.NullFlags({o, o, o, N, o, N, o, o, o, N, o, o, o, o, N, o, o, o, N})
        .Bytes("?")
        .Byte(0x00)
        .Byte(0xFF)
        .Byte(0xC0)
        .Byte(7)
        .Short(12)
        .Int(99)
        .Long(5853498713190525696)
        .Bytes("Z")
        .Bytes("  pad   ")
        .Count(3)
        .Bytes("abc")
        .Count(0)
        .Float(kFloatNaN)
        .Double(-kInfinity)
        .Float(kFloatNaN)
        .Float(kFloatNaN)
        .Double(1)
        .Double(2)
        .Int(0)
        .Int(0)
        .Int(0)
        .Count(1)
        .Double(2.5)
        .Short(-1)
        .Short(-2)
        .Short(-3)
        .Short(-4)
        .Count(1)
        .Byte(9);
    return w.bytes();
}

const Rows kEveryTypeRows = {
    {"T", "1", "1011000001", "255", "-32768", "2147483647", "-9223372036854775808", "x", "ab", "Gaia DR3 1",
     "\xCE\xA9\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "0.1", "0.30000000000000004", "1.5 -2.25", "1e+300 -0", "1 -2 3",
     "NaN +Inf", "1 2 3 4", "0 1 255"},
    {"", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""},
    {"", "0", "1111111111", "", "12", "", "5853498713190525696", "Z", "pad", "", "", "", "-Inf", "", "", "0 0 0", "2.5",
     "-1 -2 -3 -4", ""},
};

// BINARY: no flags; nulls are the VALUES null of an integer and NaN.
std::string BinaryBytes() {
    using namespace std::string_literals;
    BigEndianWriter w;
    w.Int(7).Float(12.5f).Bytes("ab  ").Byte(3);
    w.Int(-1).Float(kFloatNaN).Bytes("\0\0\0\0"s).Byte(255);
    return w.bytes();
}

struct ReadCase {
    const char* what;
    std::string document;
    std::vector<std::string> wanted;  // by name; all when empty
    std::vector<std::string> names;   // of every column
    Rows rows;
    std::vector<std::uint64_t> lines;  // of each row
};

std::vector<ReadCase> ReadCases() {
    const std::vector<std::string> gaiaNames = {"source_id", "designation",    "ra",    "dec",
                                                "parallax",  "pmra",           "pmdec", "phot_g_mean_mag",
                                                "ref_epoch", "radial_velocity"};
    const std::vector<std::string> everyNames = {"b", "bit1", "bits", "ub", "s",  "i",  "l",  "c",    "c8",  "cv",
                                                 "u", "f",    "d",    "fc", "dc", "ia", "dv", "s2x2", "blob"};
    const std::vector<std::string> gaiaTabledataNames = {"source_id", "ra", "dec", "phot_g_mean_mag", "designation"};
    return {
        {"TABLEDATA as the Gaia archive writes it: entities, empty TDs, NaN, blanks around a cell",
         kGaiaTabledata,
         {},
         gaiaTabledataNames,
         kGaiaTabledataRows,
         {22, 23}},
        {"the wanted columns only, in the sink's order",
         kGaiaTabledata,
         {"designation", "ra"},
         gaiaTabledataNames,
         {{"Gaia DR3 4295806720", "44.99615537864534"}, {"A & B <C> \xC3\xA9 \xE2\x82\xAC", ""}},
         {22, 23}},
        {"BINARY2 as the Gaia archive writes it",
         Document(kGaiaFields, Binary2(GaiaBytes())),
         {},
         gaiaNames,
         kGaiaRows,
         {0, 0}},
        {"BINARY2 with base64 lines of 5 characters, across the groups of four",
         Document(kGaiaFields, Binary2(GaiaBytes(), 5)),
         {},
         gaiaNames,
         kGaiaRows,
         {0, 0}},
        {"BINARY2 with base64 on a single line",
         Document(kGaiaFields, Binary2(GaiaBytes(), 0)),
         {},
         gaiaNames,
         kGaiaRows,
         {0, 0}},
        {"BINARY2 of every datatype",
         Document(kEveryTypeFields, Binary2(EveryTypeBytes())),
         {},
         everyNames,
         kEveryTypeRows,
         {0, 0, 0}},
        {"BINARY2 of every datatype, a few wanted: the others skipped by their sizes",
         Document(kEveryTypeFields, Binary2(EveryTypeBytes())),
         {"dv", "l", "cv"},
         everyNames,
         {{"NaN +Inf", "-9223372036854775808", "Gaia DR3 1"}, {"", "", ""}, {"2.5", "5853498713190525696", ""}},
         {0, 0, 0}},
        {"BINARY: VALUES null and NaN are the nulls",
         Document(R"(<FIELD name="id" datatype="int"><VALUES null="-1"/></FIELD>
<FIELD name="mag" datatype="float"/>
<FIELD name="name" datatype="char" arraysize="4"/>
<FIELD name="flag" datatype="unsignedByte"><VALUES null="255"/></FIELD>)",
                  Stream("BINARY", Base64(BinaryBytes()))),
         {},
         {"id", "mag", "name", "flag"},
         {{"7", "12.5", "ab", "3"}, {"", "", "", ""}},
         {0, 0}},
        {"TABLEDATA: VALUES null, booleans in every spelling, CDATA, a TR over several lines",
         Document(R"(<FIELD name="n" datatype="int"><VALUES null="-999"/></FIELD>
<FIELD name="ok" datatype="boolean"/>
<FIELD name="text" datatype="char" arraysize="*"/>)",
                  R"(<TABLEDATA>
<TR><TD>-999</TD><TD>true</TD><TD><![CDATA[a<b & c]]></TD></TR>
<TR><TD>+5</TD><TD>f</TD><TD> x </TD></TR>
<TR>
<TD>0</TD>
<TD>?</TD>
<TD>FALSE</TD>
</TR>
</TABLEDATA>)"),
         {},
         {"n", "ok", "text"},
         {{"", "T", "a<b & c"}, {"+5", "F", "x"}, {"0", "", "FALSE"}},
         {10, 11, 12}},
        {"namespace prefixes and foreign attributes",
         R"(<?xml version="1.0"?>
<v:VOTABLE xmlns:v="http://www.ivoa.net/xml/VOTable/v1.3"
  xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:noNamespaceSchemaLocation="VOTable.xsd" version="1.3">
<v:RESOURCE><v:TABLE>
<v:FIELD name="a" datatype="int" xsi:type="x"/><v:FIELD name="b" datatype="char" arraysize="*"/>
<v:DATA><v:TABLEDATA><v:TR><v:TD>1</v:TD><v:TD>x</v:TD></v:TR></v:TABLEDATA></v:DATA>
</v:TABLE></v:RESOURCE>
</v:VOTABLE>
)",
         {},
         {"a", "b"},
         {{"1", "x"}},
         {6}},
        {"VOTable 1.1 in ISO-8859-1, its text given as UTF-8",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
         "<VOTABLE version=\"1.1\" xmlns=\"http://www.ivoa.net/xml/VOTable/v1.1\">\n"
         "<RESOURCE><TABLE><FIELD name=\"name\" datatype=\"char\" arraysize=\"*\"/>\n"
         "<DATA><TABLEDATA><TR><TD>Ni\xF1o \xE9</TD></TR></TABLEDATA></DATA></TABLE></RESOURCE></VOTABLE>",
         {},
         {"name"},
         {{"Ni\xC3\xB1o \xC3\xA9"}},
         {4}},
        {"several resources: the first table with DATA is the one read",
         R"(<VOTABLE version="1.3">
<RESOURCE type="meta"><TABLE name="described"><FIELD name="x" datatype="int"/></TABLE></RESOURCE>
<RESOURCE>
<INFO name="QUERY_STATUS" value="OK"/>
<PARAM name="p" datatype="int" value="1"/>
<TABLE><FIELD name="y" datatype="char" arraysize="*"/>
<DATA><TABLEDATA><TR><TD>first</TD></TR></TABLEDATA></DATA></TABLE>
<TABLE><FIELD name="z" datatype="int"/>
<DATA><TABLEDATA><TR><TD>1</TD><TD>2</TD></TR></TABLEDATA></DATA></TABLE>
</RESOURCE>
</VOTABLE>)",
         {},
         {"y"},
         {{"first"}},
         {7}},
        {"a table with no row",
         Document(R"(<FIELD name="a" datatype="int"/>)", "<TABLEDATA>\n</TABLEDATA>"),
         {},
         {"a"},
         {},
         {}},
        {"a BINARY2 stream with no row",
         Document(R"(<FIELD name="a" datatype="int"/>)", Binary2("")),
         {},
         {"a"},
         {},
         {}},
    };
}

TEST(ReadVoTable, ReadsTablesByTable) {
    for (const ReadCase& row : ReadCases()) {
        for (const std::size_t piece : kPieces) {
            SCOPED_TRACE(std::string(row.what) + ", pieces of " + std::to_string(piece));
            PieceSource source(row.document, piece);
            RecordingSink sink(row.wanted);
            ReadVoTable(source, sink);
            EXPECT_EQ(sink.columnsCalls, 1);
            EXPECT_EQ(Names(sink.columns), row.names);
            EXPECT_EQ(sink.rows, row.rows);
            EXPECT_EQ(sink.lines, row.lines);
        }
    }
}

// The header of each column: its unit, UCD, first DESCRIPTION and the
// epoch of the COOSYS it refers to; a reference to a time system or to
// nothing known gives no epoch.
TEST(ReadVoTable, DescribesTheColumns) {
    struct Column {
        const char* name;
        const char* unit;
        const char* ucd;
        const char* description;
        const char* epoch;
    };
    const Column expected[] = {
        {"source_id", "", "meta.id;meta.main", "Unique source identifier", ""},
        {"ra", "deg", "pos.eq.ra;meta.main", "", "J2016.0"},
        {"dec", "deg", "pos.eq.dec;meta.main", "", "J2016.0"},
        {"phot_g_mean_mag", "mag", "", "", ""},
        {"designation", "", "", "", ""},
    };
    const std::string other = R"(<?xml version="1.0"?>
<VOTABLE version="1.4">
<TIMESYS ID="time" timeorigin="MJD-origin" timescale="TCB" refposition="BARYCENTER"/>
<COOSYS ID="J2000" system="eq_FK5" equinox="J2000"/>
<RESOURCE>
<COOSYS ID="H_2000.000" system="ICRS" epoch="2000.000"/>
<TABLE>
<FIELD name="RAJ2000" datatype="char" arraysize="12" ref="H_2000.000" unit="h:m:s" ucd="pos.eq.ra;meta.main"/>
<FIELD name="DEJ2000" datatype="char" arraysize="12" ref="J2000" unit="d:m:s" ucd="pos.eq.dec;meta.main"/>
<FIELD name="obs" datatype="double" ref="time" unit="d"/>
<FIELD ID="unnamed" datatype="double" ref="nowhere"/>
<DATA><TABLEDATA></TABLEDATA></DATA>
</TABLE>
</RESOURCE>
</VOTABLE>
)";
    const Column otherExpected[] = {
        {"RAJ2000", "h:m:s", "pos.eq.ra;meta.main", "", "2000.000"},
        {"DEJ2000", "d:m:s", "pos.eq.dec;meta.main", "", ""},
        {"obs", "d", "", "", ""},
        {"unnamed", "", "", "", ""},  // a FIELD with an ID alone is named by it
    };
    // One coordinate system, which the places do not point to: theirs.
    const std::string oneSystem = R"(<VOTABLE version="1.4"><RESOURCE>
<COOSYS ID="c" system="ICRS" epoch="J2016.0"/><TABLE>
<FIELD name="ra" datatype="double" unit="deg" ucd="pos.eq.ra;meta.main"/>
<FIELD name="phot_g_mean_mag" datatype="float" unit="mag" ucd="phot.mag;em.opt"/>
<DATA><TABLEDATA></TABLEDATA></DATA></TABLE></RESOURCE></VOTABLE>
)";
    const Column oneSystemExpected[] = {
        {"ra", "deg", "pos.eq.ra;meta.main", "", "J2016.0"},
        {"phot_g_mean_mag", "mag", "phot.mag;em.opt", "", ""},
    };
    const std::pair<const std::string*, std::vector<Column>> documents[] = {
        {&kGaiaTabledata, {std::begin(expected), std::end(expected)}},
        {&other, {std::begin(otherExpected), std::end(otherExpected)}},
        {&oneSystem, {std::begin(oneSystemExpected), std::end(oneSystemExpected)}},
    };
    for (const auto& [document, columns] : documents) {
        PieceSource source(*document, kWhole);
        RecordingSink sink;
        ReadVoTable(source, sink);
        ASSERT_EQ(sink.columns.size(), columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            SCOPED_TRACE(columns[i].name);
            EXPECT_EQ(sink.columns[i].name, columns[i].name);
            EXPECT_EQ(sink.columns[i].unit, columns[i].unit);
            EXPECT_EQ(sink.columns[i].ucd, columns[i].ucd);
            EXPECT_EQ(sink.columns[i].description, columns[i].description);
            EXPECT_EQ(sink.columns[i].epoch, columns[i].epoch);
        }
    }
}

// Rows reach the sink while the source still has most of the file to give:
// the reader holds pieces, never the whole document.
TEST(ReadVoTable, HandsOnRowsAsTheBytesCome) {
    constexpr int kRows = 20000;
    std::string tabledata = "<TABLEDATA>\n";
    BigEndianWriter binary;
    for (int i = 0; i < kRows; ++i) {
        tabledata += "<TR><TD>" + std::to_string(i) + "</TD><TD>Star " + std::to_string(i) + "</TD></TR>\n";
        const std::string name = "Star " + std::to_string(i);
        binary.NullFlags({false, false}).Int(i).Count(static_cast<std::uint32_t>(name.size())).Bytes(name);
    }
    tabledata += "</TABLEDATA>";
    const std::string fields = R"(<FIELD name="n" datatype="int"/><FIELD name="name" datatype="char" arraysize="*"/>)";
    const std::string documents[] = {Document(fields, tabledata), Document(fields, Binary2(binary.bytes()))};
    for (const std::string& document : documents) {
        class FirstRowSink : public RecordingSink {
        public:
            explicit FirstRowSink(const PieceSource& source) : source_(source) {}
            void Row(std::span<const std::string_view> cells, const TablePlace& where) override {
                if (rows.empty()) givenAtFirstRow = source_.given();
                RecordingSink::Row(cells, where);
            }
            std::size_t givenAtFirstRow = 0;

        private:
            const PieceSource& source_;
        };
        PieceSource source(document, 4096);
        FirstRowSink sink(source);
        ReadVoTable(source, sink);
        ASSERT_EQ(sink.rows.size(), static_cast<std::size_t>(kRows));
        EXPECT_EQ(sink.rows.back(), (std::vector<std::string>{"19999", "Star 19999"}));
        EXPECT_LT(sink.givenAtFirstRow, document.size() / 10);
    }
}

// ---- The tables refused -------------------------------------------------------

const std::string kThreeFields =
    R"(<FIELD name="a" datatype="int"/><FIELD name="b" datatype="int"/><FIELD name="c" datatype="int"/>)";
const std::string kOneField = R"(<FIELD name="a" datatype="int"/>)";

// Fields "id", "name" and "mag" on lines 5 to 7; the data from line 9.
const std::string kStarFields = R"(<FIELD name="id" datatype="int"/>
<FIELD name="name" datatype="char" arraysize="*"/>
<FIELD name="mag" datatype="float"/>)";

// Two rows of kStarFields: 17 bytes, then 15.
std::string StarBytes() {
    BigEndianWriter w;
    w.NullFlags({false, false, false}).Int(1).Count(4).Bytes("abcd").Float(1.5f);
    w.NullFlags({false, false, false}).Int(2).Count(2).Bytes("ef").Float(2.5f);
    return w.bytes();
}

std::string CutAt(const std::string& document, const std::string& end) {
    return document.substr(0, document.find(end) + end.size());
}

struct RefusalCase {
    const char* what;
    std::string document;
    std::uint64_t line;
    std::uint64_t row;
    std::string column;
    std::string reason;
};

std::vector<RefusalCase> RefusalCases() {
    const std::string twoRows =
        Document(kOneField, "<TABLEDATA>\n<TR><TD>1</TD></TR>\n<TR><TD>2</TD></TR>\n</TABLEDATA>");
    const std::string stars = StarBytes();
    return {
        {"an end tag that closes another element",
         Document(kOneField, "<TABLEDATA>\n<TR><TD>1</TD></TR>\n<TR><TD>2</TR>\n</TABLEDATA>"), 9, 0, "",
         "XML mal formado: mismatched tag"},
        {"a character XML does not allow", Document(kOneField, "<TABLEDATA>\n<TR><TD>1 & 2</TD></TR>\n</TABLEDATA>"), 8,
         0, "", "XML mal formado: not well-formed (invalid token)"},
        {"a file cut inside a tag", CutAt(twoRows, "<TR><TD>2</T"), 9, 0, "",
         "el VOTable se corta antes de su final (archivo incompleto)"},
        {"a file cut between elements", CutAt(twoRows, "<TR><TD>2</TD></TR>"), 9, 0, "",
         "el VOTable se corta antes de su final (archivo incompleto)"},
        {"an empty file", "", 1, 0, "", "XML mal formado: no element found"},
        {"another kind of XML", "<?xml version=\"1.0\"?>\n<html>\n<body/>\n</html>\n", 2, 0, "",
         "el documento no es un VOTable: su elemento raíz es 'html'"},
        {"no TABLE",
         "<VOTABLE version=\"1.4\">\n<RESOURCE>\n<INFO name=\"QUERY_STATUS\" value=\"OK\"/>\n</RESOURCE>\n</VOTABLE>",
         5, 0, "", "el VOTable no tiene ninguna tabla (TABLE)"},
        {"a service's error in place of the table",
         "<VOTABLE version=\"1.4\">\n<RESOURCE type=\"results\">\n<INFO name=\"QUERY_STATUS\" value=\"ERROR\">\n"
         "  Cannot parse query &apos;SELECT&apos;\n</INFO>\n</RESOURCE>\n</VOTABLE>",
         7, 0, "", "el servicio respondió con un error: Cannot parse query 'SELECT'"},
        {"a TABLE with no DATA",
         "<VOTABLE>\n<RESOURCE>\n<TABLE>\n<FIELD name=\"a\" datatype=\"int\"/>\n</TABLE>\n</RESOURCE>\n</VOTABLE>", 7,
         0, "", "la tabla no tiene datos (DATA)"},
        {"DATA with no FIELD", Document(R"(<PARAM name="p" datatype="int" value="1"/>)", "<TABLEDATA>\n</TABLEDATA>"),
         6, 0, "", "la tabla no declara columnas (FIELD)"},
        {"a row with a TD too few",
         Document(
             kThreeFields,
             "<TABLEDATA>\n<TR><TD>1</TD><TD>2</TD><TD>3</TD></TR>\n<TR>\n<TD>1</TD><TD>2</TD>\n</TR>\n</TABLEDATA>"),
         9, 2, "c", "la fila tiene 2 celdas (TD) y la tabla 3 columnas (FIELD)"},
        {"a row with a TD too many",
         Document(kThreeFields, "<TABLEDATA>\n<TR><TD>1</TD><TD>2</TD><TD>3</TD><TD>4</TD></TR>\n</TABLEDATA>"), 8, 1,
         "", "la fila tiene 4 celdas (TD) y la tabla 3 columnas (FIELD)"},
        {"an unknown datatype",
         Document("<FIELD name=\"a\" datatype=\"int\"/>\n<FIELD name=\"q\" datatype=\"quad\"/>",
                  "<TABLEDATA>\n</TABLEDATA>"),
         6, 0, "q", "tipo de datos 'quad' desconocido"},
        {"a binary column with no datatype", Document(R"(<FIELD name="a"/>)", Binary2("")), 5, 0, "a",
         "la columna no declara su tipo de datos (datatype)"},
        {"an arraysize with no first dimension",
         Document(R"(<FIELD name="a" datatype="int" arraysize="x3"/>)", Binary2("")), 5, 0, "a",
         "tamaño de matriz 'x3' no válido (arraysize)"},
        {"an arraysize variable before its last dimension",
         Document(R"(<FIELD name="a" datatype="int" arraysize="*x3"/>)", Binary2("")), 5, 0, "a",
         "tamaño de matriz '*x3' no válido (arraysize)"},
        {"an arraysize of no element", Document(R"(<FIELD name="a" datatype="int" arraysize="0"/>)", Binary2("")), 5, 0,
         "a", "tamaño de matriz '0' no válido (arraysize)"},
        {"data in another file",
         Document(kOneField, "<BINARY2>\n<STREAM encoding=\"gzip\" href=\"file:table.bin.gz\"/>\n</BINARY2>"), 8, 0, "",
         "los datos están en otro archivo (STREAM href), pida el VOTable con los datos dentro"},
        {"FITS data", Document(kOneField, "<FITS extnum=\"1\">\n<STREAM href=\"file:table.fits\"/>\n</FITS>"), 7, 0, "",
         "datos en formato FITS, no admitidos (pida TABLEDATA o BINARY2)"},
        {"a stream compressed", Document(kOneField, "<BINARY>\n<STREAM encoding=\"gzip\">H4sI</STREAM>\n</BINARY>"), 8,
         0, "", "codificación 'gzip' de los datos no admitida (solo base64)"},
        // 24 bytes: the first row, then of the second its flags, its id and
        // two bytes of the name's count.
        {"a character base64 does not have",
         Document(kStarFields, Stream("BINARY2", Base64(stars.substr(0, 24), 0) + "%" + Base64(stars.substr(24), 0))),
         0, 2, "name", "carácter no válido en los datos base64"},
        {"binary data that stop inside a row's last cell",
         Document(kStarFields, Binary2(stars.substr(0, stars.size() - 2))), 0, 2, "mag",
         "los datos binarios terminan a mitad de fila"},
        {"base64 that ends with a character of no whole byte",
         Document(kStarFields, Stream("BINARY2", Base64(stars) + "Q")), 0, 3, "",
         "los datos binarios terminan a mitad de fila"},
    };
}

TEST(ReadVoTable, RefusesByTable) {
    for (const RefusalCase& row : RefusalCases()) {
        for (const std::size_t piece : kPieces) {
            SCOPED_TRACE(std::string(row.what) + ", pieces of " + std::to_string(piece));
            PieceSource source(row.document, piece);
            RecordingSink sink;
            try {
                ReadVoTable(source, sink);
                ADD_FAILURE() << "read";
            } catch (const TableError& error) {
                EXPECT_EQ(error.where().line, row.line);
                EXPECT_EQ(error.where().row, row.row);
                EXPECT_EQ(error.column(), row.column);
                EXPECT_EQ(error.reason(), row.reason);
            }
        }
    }
}

// What the source or the sink throws goes through the reader unchanged,
// from inside the XML parser too.
TEST(ReadVoTable, LetsThroughWhatTheSourceAndTheSinkThrow) {
    struct SinkFault {};
    struct SourceFault {};
    class FaultySink : public RecordingSink {
    public:
        void Row(std::span<const std::string_view> cells, const TablePlace& where) override {
            RecordingSink::Row(cells, where);
            if (rows.size() == 2) throw SinkFault{};
        }
    };
    class FaultySource : public ByteSource {
    public:
        explicit FaultySource(std::string bytes) : bytes_(std::move(bytes)) {}
        std::size_t Read(char* buffer, std::size_t size) override {
            if (given_ > 0) throw SourceFault{};
            given_ = std::min(size, bytes_.size() / 2);
            std::memcpy(buffer, bytes_.data(), given_);
            return given_;
        }

    private:
        std::string bytes_;
        std::size_t given_ = 0;
    };
    const std::string documents[] = {kGaiaTabledata, Document(kGaiaFields, Binary2(GaiaBytes()))};
    for (const std::string& document : documents) {
        PieceSource source(document, 3);
        FaultySink sink;
        EXPECT_THROW(ReadVoTable(source, sink), SinkFault);
        EXPECT_EQ(sink.rows.size(), 2u);
        FaultySource faulty(document);
        RecordingSink quiet;
        EXPECT_THROW(ReadVoTable(faulty, quiet), SourceFault);
    }
}

}  // namespace
}  // namespace celestra
