#include "text/table.h"

#include <utility>

namespace celestra {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kEcsvSignature = "# %ECSV";

// The next line of `text` from `position`, without its line end.
bool NextLine(std::string_view text, std::size_t& position, std::string_view& line) {
    if (position >= text.size()) return false;
    std::size_t end = text.find('\n', position);
    if (end == std::string_view::npos) end = text.size();
    line = text.substr(position, end - position);
    if (line.ends_with('\r')) line.remove_suffix(1);
    position = end + 1;
    return true;
}

bool IsBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

// VizieR's line under the units: dashes, one run per column.
bool IsDashesLine(std::string_view line) {
    return line.find('-') != std::string_view::npos && line.find_first_not_of("- \t") == std::string_view::npos;
}

}  // namespace

TableError::TableError(const TablePlace& where, std::string column, std::string reason)
    : Error(reason), where_(where), column_(std::move(column)), reason_(std::move(reason)) {}

TableKind TableKindOf(std::string_view head) {
    if (head.starts_with(kByteOrderMark)) head.remove_prefix(kByteOrderMark.size());
    const std::size_t first = head.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && head[first] == '<') {
        return head.find("VOTABLE") != std::string_view::npos ? TableKind::kVoTable : TableKind::kNotATable;
    }
    if (head.starts_with(kEcsvSignature)) return TableKind::kEcsv;
    std::size_t position = 0;
    std::string_view line;
    while (NextLine(head, position, line)) {
        if (line.starts_with('#') || IsBlank(line)) continue;
        std::string_view units, dashes;
        if (line.find('\t') != std::string_view::npos && NextLine(head, position, units) &&
            NextLine(head, position, dashes) && IsDashesLine(dashes)) {
            return TableKind::kVizierTsv;
        }
        return line.find(',') != std::string_view::npos ? TableKind::kCsv : TableKind::kNotATable;
    }
    return TableKind::kNotATable;
}

void ReadTable(TableKind kind, ByteSource& source, TableSink& sink) {
    if (kind == TableKind::kVoTable) {
        ReadVoTable(source, sink);
    } else {
        ReadDelimitedTable(kind, source, sink);
    }
}

}  // namespace celestra
