// A table of named columns, read in one pass: the formats the catalogue
// services write (CSV, VizieR's TSV, ECSV, VOTable) all come down to a header
// that describes each column and rows of cells. A reader hands the header to
// its sink once, is told which columns are wanted, and then gives each row's
// wanted cells only, as texts; it keeps no row once handed over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/errors.h"

namespace celestra {

// One column as the table's header describes it; a field the format does
// not give is empty.
struct TableColumn {
    std::string name;
    std::string unit;         // as written: "deg", "mas/yr", "mas.yr**-1", "h:m:s"
    std::string ucd;          // the IVOA content descriptor: "pos.eq.ra;meta.main"
    std::string description;  // ECSV's and VOTable's description, VizieR's column comment
    std::string epoch;        // the epoch its coordinate system names ("J2016.0"), VOTable only
};

// Where a cell or a header entry stands, for the messages: the file's line
// (1-based; 0 where the format has no lines, as a VOTable's binary rows) and
// the data row (1-based; 0 for the header).
struct TablePlace {
    std::uint64_t line = 0;
    std::uint64_t row = 0;
};

// What a table's reader feeds. Columns() comes first and once; then Row()
// once per data row, in file order.
class TableSink {
public:
    virtual ~TableSink() = default;
    // The header's columns, in table order; the result is the indexes of the
    // columns whose cells each row is to give, in the order Row() gets them.
    virtual std::vector<std::size_t> Columns(const std::vector<TableColumn>& columns) = 0;
    // The wanted cells of one row, as texts: unquoted, with the format's
    // escapes undone; empty for a null. A binary number is given as the
    // shortest text that reads back to the same value. The views last until
    // Row returns.
    virtual void Row(std::span<const std::string_view> cells, const TablePlace& where) = 0;
};

// A table that breaks its format's rules. It names where (the line or row,
// and the column when there is one) and why, in the user's language; the
// message's first line is the run's own.
class TableError : public Error {
public:
    TableError(const TablePlace& where, std::string column, std::string reason);
    const TablePlace& where() const noexcept { return where_; }
    const std::string& column() const noexcept { return column_; }  // the column's name; empty when none
    const std::string& reason() const noexcept { return reason_; }

private:
    TablePlace where_;
    std::string column_;
    std::string reason_;
};

// Where a reader takes its bytes from, a piece at a time: Read fills up to
// `size` bytes and returns how many; 0 at the end. It throws its own errors.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

// The kinds of file an object list may be, told from its first bytes.
enum class TableKind { kNotATable, kCsv, kVizierTsv, kEcsv, kVoTable };

// The kind of the file whose first bytes (at least the first line, or all
// of a shorter file) are `head`. A fixed-column object list is kNotATable.
TableKind TableKindOf(std::string_view head);

// The names of a CSV header, the first line of `head` that is neither blank
// nor a comment; empty when it does not split.
std::vector<std::string> CsvHeaderNames(std::string_view head);

// Reads the whole table from `source` into `sink`, which sees the bytes
// once, in order. Throws TableError for a table that breaks its rules, and
// lets through what the source or the sink throw.
void ReadTable(TableKind kind, ByteSource& source, TableSink& sink);

// The formats' readers, which ReadTable calls by kind.
void ReadDelimitedTable(TableKind kind, ByteSource& source, TableSink& sink);
void ReadVoTable(ByteSource& source, TableSink& sink);

}  // namespace celestra
