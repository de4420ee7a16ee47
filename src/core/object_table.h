// A catalogue table as an object list: the columns are found by what they
// mean (name, places, motion, epoch, magnitude), in the conventions of the
// services that write such tables, and each row becomes an object as a
// fixed-column line with keyed values would give it.
//
// Names longer than the comet file's eight columns get a key of eight
// characters made from the whole name alone, so that the next run with the
// same name makes the same key and replaces its line; the whole name goes
// to the element line's name field.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/object_line.h"
#include "text/table.h"

namespace celestra {

// A refusal of an object list, as the run shows it: "Error de formato para "
// and the designation (or the file's name, for a table's header), then a
// second line that says where and why.
class ObjectListError : public Error {
public:
    ObjectListError(std::string designation, std::string whereAndWhy);
    const std::string& designation() const noexcept { return designation_; }
    const std::string& whereAndWhy() const noexcept { return whereAndWhy_; }
    // The whole message: unlike what(), not cut at a NUL byte that a name
    // or a cell may hold.
    const std::string& text() const noexcept { return text_; }

private:
    std::string designation_;
    std::string whereAndWhy_;
    std::string text_;
};

// "fila 3 (línea 7), columna 'pmra'" and the like: where in a table.
std::string WhereInTable(const TablePlace& where, std::string_view column);

// The kind of object list whose first bytes are `head`: a table the run
// reads, or kNotATable for a fixed-column list. A CSV counts as a table only
// when its header names a column the run knows, so that an old list whose
// heading holds commas stays a fixed-column list.
TableKind ObjectListKindOf(std::string_view head);

// The key of a name in the comet file: the name itself when it fits in the
// designation's eight columns, else eight letters and digits made from the
// whole name.
std::string DesignationKeyOf(std::string_view name);

// An epoch as the batch command's option gives it: a Julian year, with or
// without "J" ("2016.0", "J2016"), within the years the keyed values allow.
bool ReadEpochText(std::string_view text, double& epochJulianYear);

struct ObjectTable {
    std::vector<ListedObject> objects;  // in row order
    std::string magnitudeColumn;        // the column the magnitudes came from
};

// Reads the table. `epochJulianYear`, when given, is the epoch of places
// whose table does not tell it. Throws ObjectListError for a table that
// breaks its format or whose columns or cells do not give the objects;
// `fileName` names the file in a refusal that no row has; `rowsToExpect`
// makes room for the objects at once.
ObjectTable ReadObjectTable(TableKind kind, ByteSource& source, std::optional<double> epochJulianYear,
                            const std::string& fileName, std::size_t rowsToExpect = 0);

}  // namespace celestra
