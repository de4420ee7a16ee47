// The delimited tables: CSV as the Gaia archive and SIMBAD write it
// (RFC 4180: quoted fields, doubled quotes, CR LF or LF), VizieR's TSV (its
// "#Column" comments, the names, a line of units, a line of dashes, then
// tab-separated rows padded with blanks) and ECSV (a commented YAML header
// that lists each column's unit and description, then CSV rows).
//
// Written by hand rather than taken from a library: Debian packages no CSV
// reader for C++ that also builds for Windows, the formats' rules fit in a
// page, and the reader must hand on only the wanted cells of each row, in
// one pass over pieces of the file, to stay within a plain read's cost.
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/fixed_texts.h"
#include "text/numbers.h"
#include "text/table.h"

namespace celestra {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kPieceBytes = std::size_t{256} << 10;
// Bytes readable past the end of the buffer's content, so that a scan may
// look at a whole block of them at once.
constexpr std::size_t kScanBlock = 16;
constexpr char kNoQuote = '\0';

std::string Count(std::uint64_t n) { return IntToText(static_cast<std::int64_t>(n)); }

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

TableColumn NamedColumn(std::string name) {
    TableColumn column;
    column.name = std::move(name);
    return column;
}

std::string_view WithoutCarriageReturn(std::string_view text) {
    if (text.ends_with('\r')) text.remove_suffix(1);
    return text;
}

// The file's bytes, a piece at a time, in one buffer that keeps the part not
// yet taken when the next piece comes.
class Pieces {
public:
    explicit Pieces(ByteSource& source) : source_(source) {}

    const char* begin() const { return buffer_.data() + taken_; }
    const char* end() const { return buffer_.data() + size_; }
    bool AtEnd() const { return ended_ && taken_ == size_; }
    bool Ended() const { return ended_; }
    void Take(const char* upTo) { taken_ = static_cast<std::size_t>(upTo - buffer_.data()); }

    // Brings more bytes after those not yet taken; false at the source's end.
    bool More() {
        if (ended_) return false;
        if (taken_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + taken_, size_ - taken_);
            size_ -= taken_;
            taken_ = 0;
        }
        const std::size_t room = std::max(kPieceBytes, size_);  // a long record doubles the room
        buffer_.resize(size_ + room + kScanBlock);
        const std::size_t read = source_.Read(buffer_.data() + size_, room);
        size_ += read;
        std::memset(buffer_.data() + size_, 0, kScanBlock);
        if (read == 0) ended_ = true;
        if (first_) {
            first_ = false;
            if (std::string_view(begin(), size_).starts_with(kByteOrderMark)) taken_ = kByteOrderMark.size();
        }
        return read > 0;
    }

    // The next whole line, without its end; false at the end of the file.
    bool NextLine(std::string_view& line) {
        for (;;) {
            const char* newline = static_cast<const char*>(std::memchr(begin(), '\n', size_ - taken_));
            if (newline != nullptr || (ended_ && taken_ < size_)) {
                const char* stop = newline != nullptr ? newline : end();
                line = WithoutCarriageReturn(std::string_view(begin(), static_cast<std::size_t>(stop - begin())));
                Take(newline != nullptr ? newline + 1 : end());
                return true;
            }
            if (!More() && taken_ == size_) return false;
        }
    }

private:
    ByteSource& source_;
    std::vector<char> buffer_ = std::vector<char>(kScanBlock, '\0');
    std::size_t taken_ = 0, size_ = 0;
    bool ended_ = false, first_ = true;
};

// Finds the bytes that end or open a field: the delimiter, a line end and
// the quote, a block of bytes at a time. The block last looked at is kept,
// so that the short fields within one block cost one look between them.
// Reads up to a block past the end it is given.
class Scanner {
public:
    Scanner(char delimiter, char quote) : delimiter_(delimiter), quote_(quote == kNoQuote ? '\n' : quote) {}

    // Forgets the block kept: the bytes it saw may have moved.
    void Reset() { block_ = nullptr; }

    // The first such byte in [from, to); `to` when there is none.
    const char* Next(const char* from, const char* to) {
        unsigned hits = 0;
        if (block_ != nullptr && from >= block_ && from < block_ + kScanBlock) {
            hits = hits_ & (~0u << static_cast<unsigned>(from - block_));
        } else {
            block_ = from;
            hits = Look(block_).all;
            hits_ = hits;
        }
        while (hits == 0) {
            block_ += kScanBlock;
            if (block_ >= to) return to;
            hits = Look(block_).all;
            hits_ = hits;
        }
        return std::min(to, block_ + __builtin_ctz(hits));
    }

    // From `from`, past `wanted` delimiters (all of them when 0), up to the
    // first line end or quote (or `to`): just after the last delimiter
    // wanted, or at the byte that stopped it; `passed` counts the
    // delimiters passed.
    const char* SkipFields(const char* from, const char* to, std::size_t wanted, std::size_t& passed) {
        Reset();
        passed = 0;
        for (const char* at = from; at < to; at += kScanBlock) {
            const Hits hits = Look(at);
            const unsigned stops = hits.all & ~hits.delimiters;
            unsigned delimiters = hits.delimiters & (stops == 0 ? ~0u : (1u << __builtin_ctz(stops)) - 1);
            // Few delimiters stand in a block: each is taken in turn.
            while (delimiters != 0) {
                const char* delimiter = at + __builtin_ctz(delimiters);
                if (delimiter >= to) return to;
                if (++passed == wanted) return delimiter + 1;
                delimiters &= delimiters - 1;
            }
            if (stops != 0) return std::min(to, at + __builtin_ctz(stops));
        }
        return to;
    }

private:
    struct Hits {
        unsigned all;         // delimiters, line ends, quotes
        unsigned delimiters;  // delimiters alone
    };

    Hits Look(const char* at) const {
#if defined(__SSE2__)
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i delimiters = _mm_cmpeq_epi8(block, _mm_set1_epi8(delimiter_));
        const __m128i others =
            _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(block, _mm_set1_epi8(quote_)));
        const auto delimiterBits = static_cast<unsigned>(_mm_movemask_epi8(delimiters));
        return {delimiterBits | static_cast<unsigned>(_mm_movemask_epi8(others)), delimiterBits};
#else
        Hits hits{0, 0};
        for (std::size_t i = 0; i < kScanBlock; ++i) {
            const unsigned bit = 1u << i;
            if (at[i] == delimiter_) hits.delimiters |= bit;
            if (at[i] == delimiter_ || at[i] == '\n' || at[i] == quote_) hits.all |= bit;
        }
        return hits;
#endif
    }

    char delimiter_;
    char quote_;
    const char* block_ = nullptr;
    unsigned hits_ = 0;
};

// How one format's rows read.
struct RowRules {
    char delimiter;
    char quote;              // kNoQuote: quotes are plain characters
    bool trimBlanks;         // VizieR pads its cells
    bool blankLineEnds;      // VizieR ends a table with a blank line
    bool commentsAmongRows;  // and may close it with a "#" line
};

// The header as the formats give it, before the rows.
struct Header {
    std::vector<TableColumn> columns;
    std::uint64_t lastLine = 0;  // the header's last line
};

// Reads the rows after the header, handing the wanted cells to the sink.
class RowReader {
public:
    RowReader(Pieces& pieces, const RowRules& rules, const std::vector<TableColumn>& columns,
              const std::vector<std::size_t>& wanted, std::uint64_t lineBefore)
        : pieces_(pieces),
          rules_(rules),
          scanner_(rules.delimiter, rules.quote),
          columns_(columns),
          slotOf_(columns.size(), kUnwanted),
          cells_(wanted.size()),
          unquoted_(wanted.size()),
          line_(lineBefore) {
        for (std::size_t slot = 0; slot < wanted.size(); ++slot) slotOf_.at(wanted[slot]) = slot;
        // For each column, the first wanted one from it on.
        nextWanted_.assign(columns.size(), columns.size());
        for (std::size_t column = columns.size(); column-- > 0;) {
            const bool isWanted = slotOf_[column] != kUnwanted;
            nextWanted_[column] = isWanted                      ? column
                                  : column + 1 < columns.size() ? nextWanted_[column + 1]
                                                                : columns.size();
        }
    }

    void ReadAll(TableSink& sink) {
        for (;;) {
            const char* start = pieces_.begin();
            const char* stop = pieces_.end();
            if (start == stop) {
                if (!pieces_.More()) return;
                continue;
            }
            const char* next = nullptr;
            std::uint64_t lines = 1;
            if (!ReadRecord(start, stop, next, lines)) {
                if (pieces_.More()) continue;  // the record goes on in the next piece
                lines = 1;
                ReadRecordAtEnd(pieces_.begin(), pieces_.end(), next, lines);
            }
            pieces_.Take(next);
            const TablePlace where{line_ + 1, row_ + 1};
            line_ += lines;
            if (blankLine_) {
                if (rules_.blankLineEnds) return;
                continue;
            }
            ++row_;
            sink.Row(cells_, where);
        }
    }

private:
    static constexpr std::size_t kUnwanted = static_cast<std::size_t>(-1);

    [[noreturn]] void Refuse(std::uint64_t lineOffset, std::size_t column, std::string reason) const {
        throw TableError({line_ + 1 + lineOffset, row_ + 1}, column < columns_.size() ? columns_[column].name : "",
                         std::move(reason));
    }

    // The last record, which no line end closes.
    void ReadRecordAtEnd(const char* start, const char* stop, const char*& next, std::uint64_t& lines) {
        atEnd_ = true;
        ReadRecord(start, stop, next, lines);
    }

    // Only blanks up to the line's end (or the last piece's end).
    bool IsBlankLine(const char* at, const char* stop) const {
        while (at < stop && (*at == ' ' || *at == '\t' || *at == '\r')) ++at;
        return at < stop ? *at == '\n' : atEnd_ || at == stop;
    }

    void Keep(std::size_t column, std::string_view text) {
        if (column >= slotOf_.size() || slotOf_[column] == kUnwanted) return;
        cells_[slotOf_[column]] = rules_.trimBlanks ? TrimBlanks(text) : text;
    }

    // One record from `start`: its cells kept, `next` after its line end.
    // False when the piece ends inside it (and more may come).
    bool ReadRecord(const char* start, const char* stop, const char*& next, std::uint64_t& lines) {
        blankLine_ = false;
        scanner_.Reset();
        std::size_t column = 0;
        const char* at = start;
        if (rules_.commentsAmongRows && at < stop && *at == '#') {
            const char* end = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(stop - at)));
            if (end == nullptr && !atEnd_) return false;
            blankLine_ = true;  // passed over as a blank line is
            next = end == nullptr ? stop : end + 1;
            return true;
        }
        if (IsBlankLine(at, stop)) {
            const char* end = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(stop - at)));
            if (end == nullptr && !atEnd_) return false;
            blankLine_ = true;
            next = end == nullptr ? stop : end + 1;
            return true;
        }
        for (;;) {
            if (column >= nextWanted_.size() || nextWanted_[column] != column) {
                // Unwanted cells are only counted, up to the next wanted one.
                const std::size_t target = column < nextWanted_.size() ? nextWanted_[column] : columns_.size();
                const std::size_t toSkip = target < columns_.size() ? target - column : 0;
                std::size_t passed = 0;
                const char* end = scanner_.SkipFields(at, stop, toSkip, passed);
                if (toSkip != 0 && passed == toSkip) {
                    column = target;
                    at = end;
                    continue;
                }
                if (end == stop && !atEnd_) return false;
                if (end == stop || *end == '\n') {
                    column += passed + 1;
                    at = end;
                    break;
                }
                // A quote: the field that holds it is read as any other.
                const char* fieldStart = at;
                for (const char* before = end; before > at; --before) {
                    if (before[-1] == rules_.delimiter) {
                        fieldStart = before;
                        break;
                    }
                }
                column += passed;
                at = fieldStart;
                scanner_.Reset();
            }
            if (rules_.quote != kNoQuote && at < stop && *at == rules_.quote) {
                if (!ReadQuoted(at, stop, column, lines)) return false;
            } else {
                const char* end = scanner_.Next(at, stop);
                while (end < stop && *end == rules_.quote && rules_.quote != kNoQuote)
                    end = scanner_.Next(end + 1, stop);
                if (end == stop && !atEnd_) return false;
                const std::string_view text(at, static_cast<std::size_t>(end - at));
                Keep(column, end == stop || *end == '\n' ? WithoutCarriageReturn(text) : text);
                at = end;
            }
            ++column;
            if (at == stop || *at == '\n') break;
            ++at;  // the delimiter
        }
        if (column != columns_.size()) {
            Refuse(lines - 1, std::min(column, columns_.size() - 1),
                   kFieldCountBefore + Count(column) + kFieldCountMiddle + Count(columns_.size()));
        }
        next = at == stop ? stop : at + 1;
        return true;
    }

    // A quoted field from `at` (its opening quote); `at` left after it.
    bool ReadQuoted(const char*& at, const char* stop, std::size_t column, std::uint64_t& lines) {
        const char quote = rules_.quote;
        const char* from = at + 1;
        std::string* unquoted = nullptr;
        const std::size_t slot = column < slotOf_.size() ? slotOf_[column] : kUnwanted;
        if (slot != kUnwanted) {
            unquoted = &unquoted_[slot];
            unquoted->clear();
        }
        const std::uint64_t firstLine = lines;
        for (;;) {
            const char* close =
                static_cast<const char*>(std::memchr(from, quote, static_cast<std::size_t>(stop - from)));
            if (close == nullptr) {
                if (!atEnd_) return false;
                lines = firstLine;
                Refuse(firstLine - 1, column, kOpenQuote);
            }
            lines += static_cast<std::uint64_t>(std::count(from, close, '\n'));
            if (unquoted != nullptr) unquoted->append(from, close);
            if (close + 1 < stop && close[1] == quote) {  // a doubled quote stands for one
                if (unquoted != nullptr) unquoted->push_back(quote);
                from = close + 2;
                continue;
            }
            if (close + 1 == stop && !atEnd_) return false;
            at = close + 1;
            if (at < stop && *at == '\r' && at + 1 < stop && at[1] == '\n') ++at;
            if (at < stop && *at != rules_.delimiter && *at != '\n') Refuse(lines - 1, column, kQuoteInsideField);
            if (unquoted != nullptr) cells_[slot] = rules_.trimBlanks ? TrimBlanks(*unquoted) : *unquoted;
            return true;
        }
    }

    Pieces& pieces_;
    RowRules rules_;
    Scanner scanner_;
    const std::vector<TableColumn>& columns_;
    std::vector<std::size_t> slotOf_;      // by column: its place among the wanted cells
    std::vector<std::size_t> nextWanted_;  // by column: the first wanted column from it on
    std::vector<std::string_view> cells_;
    std::vector<std::string> unquoted_;  // the wanted quoted cells, their quotes undone
    std::uint64_t line_;                 // lines before the record
    std::uint64_t row_ = 0;
    bool atEnd_ = false;
    bool blankLine_ = false;
};

// A header line's fields, with the rows' own rules.
std::vector<std::string> SplitHeaderLine(std::string_view line, const RowRules& rules, std::uint64_t lineNumber) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        const char c = i < line.size() ? line[i] : '\0';
        if (quoted) {
            if (i == line.size()) throw TableError({lineNumber, 0}, "", kOpenQuote);
            if (c == rules.quote && i + 1 < line.size() && line[i + 1] == rules.quote) {
                field.push_back(c);
                ++i;
            } else if (c == rules.quote) {
                quoted = false;
            } else {
                field.push_back(c);
            }
        } else if (i == line.size() || c == rules.delimiter) {
            fields.emplace_back(TrimBlanks(field));
            field.clear();
        } else if (c == rules.quote && rules.quote != kNoQuote && TrimBlanks(field).empty()) {
            field.clear();
            quoted = true;
        } else {
            field.push_back(c);
        }
    }
    return fields;
}

// ---- ECSV's header: the part of YAML it uses --------------------------------

std::string_view Unquoted(std::string_view value) {
    value = TrimBlanks(value);
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The "key: value" pairs of a flow map "{a: 1, b: 'x, y', c: {d: 2}}",
// nested maps flattened into the same list.
void FlowMapPairs(std::string_view map, std::vector<std::pair<std::string, std::string>>& pairs) {
    map = TrimBlanks(map);
    if (map.starts_with('{')) map.remove_prefix(1);
    if (map.ends_with('}')) map.remove_suffix(1);
    std::size_t start = 0;
    int depth = 0;
    char inQuote = 0;
    for (std::size_t i = 0; i <= map.size(); ++i) {
        const char c = i < map.size() ? map[i] : ',';
        if (inQuote != 0) {
            if (c == inQuote) inQuote = 0;
            continue;
        }
        if (c == '\'' || c == '"') inQuote = c;
        if (c == '{' || c == '[') ++depth;
        if (c == '}' || c == ']') --depth;
        if (c != ',' || depth > 0) continue;
        const std::string_view entry = TrimBlanks(map.substr(start, i - start));
        start = i + 1;
        const std::size_t colon = entry.find(": ");
        if (colon == std::string_view::npos) continue;
        const std::string_view value = TrimBlanks(entry.substr(colon + 2));
        if (value.starts_with('{')) {
            FlowMapPairs(value, pairs);
        } else {
            pairs.emplace_back(std::string(TrimBlanks(entry.substr(0, colon))), std::string(Unquoted(value)));
        }
    }
}

void SetColumnField(TableColumn& column, std::string_view key, std::string_view value) {
    if (key == "name") column.name = value;
    if (key == "unit") column.unit = value;
    if (key == "ucd") column.ucd = value;
    if (key == "description") column.description = value;
}

std::size_t IndentOf(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? line.size() : first;
}

// The columns of ECSV's "datatype:" list, in block or flow style, and its
// delimiter ("delimiter: ','"; a blank when not given).
void ReadEcsvYaml(const std::vector<std::string>& yaml, std::vector<TableColumn>& columns, char& delimiter) {
    delimiter = ' ';
    bool inList = false;
    std::size_t listIndent = 0;
    for (const std::string& text : yaml) {
        const std::string_view line = text;
        if (TrimBlanks(line).empty()) continue;
        const std::size_t indent = IndentOf(line);
        const std::string_view content = line.substr(indent);
        if (indent == 0 && !content.starts_with('-')) {
            inList = content.starts_with("datatype:");
            if (content.starts_with("delimiter:")) {
                const std::string_view value = Unquoted(content.substr(std::strlen("delimiter:")));
                if (!value.empty()) delimiter = value.front();
            }
            continue;
        }
        if (!inList) continue;
        std::string_view entry = content;
        if (content.starts_with('-') && (columns.empty() || indent <= listIndent)) {
            listIndent = indent;
            columns.emplace_back();
            entry = TrimBlanks(content.substr(1));
        }
        if (columns.empty() || entry.empty()) continue;
        if (entry.starts_with('{')) {
            std::vector<std::pair<std::string, std::string>> pairs;
            FlowMapPairs(entry, pairs);
            for (const auto& [key, value] : pairs) SetColumnField(columns.back(), key, value);
            continue;
        }
        const std::size_t colon = entry.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view key = TrimBlanks(entry.substr(0, colon));
        const std::string_view value = TrimBlanks(entry.substr(colon + 1));
        if (value.starts_with('{')) {
            std::vector<std::pair<std::string, std::string>> pairs;
            FlowMapPairs(value, pairs);
            for (const auto& [innerKey, innerValue] : pairs) SetColumnField(columns.back(), innerKey, innerValue);
        } else {
            SetColumnField(columns.back(), key, Unquoted(value));
        }
    }
}

// ---- The headers --------------------------------------------------------------

constexpr RowRules kCsvRules{',', '"', false, false, false};
constexpr RowRules kVizierRules{'\t', kNoQuote, true, true, true};

Header ReadCsvHeader(Pieces& pieces, std::uint64_t& line) {
    std::string_view text;
    while (pieces.NextLine(text)) {
        ++line;
        if (text.starts_with('#') || TrimBlanks(text).empty()) continue;
        Header header;
        for (std::string& name : SplitHeaderLine(text, kCsvRules, line))
            header.columns.push_back(NamedColumn(std::move(name)));
        header.lastLine = line;
        return header;
    }
    throw TableError({line, 0}, "", kNoHeader);
}

// "#Column\t<name>\t(<format>)\t<description>\t[ucd=<ucd>]".
void ReadVizierColumnComment(std::string_view text, std::vector<TableColumn>& described) {
    constexpr std::string_view kColumnComment = "#Column\t";
    if (!text.starts_with(kColumnComment)) return;
    const std::vector<std::string> parts = SplitHeaderLine(text.substr(kColumnComment.size()), kVizierRules, 0);
    TableColumn column;
    column.name = parts.empty() ? "" : parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part.starts_with("[ucd=") && part.ends_with(']')) {
            column.ucd = part.substr(5, part.size() - 6);
        } else if (!part.starts_with('(') && column.description.empty()) {
            column.description = part;
        }
    }
    described.push_back(std::move(column));
}

Header ReadVizierHeader(Pieces& pieces, std::uint64_t& line) {
    std::vector<TableColumn> described;
    std::string_view text;
    while (pieces.NextLine(text)) {
        ++line;
        if (text.starts_with('#')) {
            ReadVizierColumnComment(text, described);
            continue;
        }
        if (TrimBlanks(text).empty()) continue;
        Header header;
        for (std::string& name : SplitHeaderLine(text, kVizierRules, line)) {
            TableColumn column = NamedColumn(std::move(name));
            for (const TableColumn& comment : described) {
                if (comment.name == column.name) column = comment;
            }
            header.columns.push_back(std::move(column));
        }
        const std::uint64_t namesLine = line;
        std::vector<std::string> units;
        if (pieces.NextLine(text)) units = SplitHeaderLine(text, kVizierRules, ++line);
        if (!pieces.NextLine(text) || text.find_first_not_of("- \t") != std::string_view::npos) {
            throw TableError({namesLine, 0}, "", kNoUnitsLine);
        }
        ++line;
        for (std::size_t i = 0; i < header.columns.size() && i < units.size(); ++i) header.columns[i].unit = units[i];
        header.lastLine = line;
        return header;
    }
    throw TableError({line, 0}, "", kNoHeader);
}

Header ReadEcsvHeader(Pieces& pieces, std::uint64_t& line, RowRules& rules) {
    std::vector<std::string> yaml;
    std::string_view text;
    while (pieces.NextLine(text)) {
        ++line;
        if (text.starts_with('#')) {
            std::string_view body = text.substr(1);
            if (body.starts_with(' ')) body.remove_prefix(1);
            if (!body.starts_with("%ECSV") && body != "---") yaml.emplace_back(body);
            continue;
        }
        if (TrimBlanks(text).empty()) continue;
        Header header;
        char delimiter = ' ';
        ReadEcsvYaml(yaml, header.columns, delimiter);
        if (header.columns.empty()) throw TableError({line, 0}, "", kBadEcsvHeader);
        rules = {delimiter, '"', false, false, false};
        const std::vector<std::string> names = SplitHeaderLine(text, rules, line);
        bool same = names.size() == header.columns.size();
        for (std::size_t i = 0; same && i < names.size(); ++i) same = names[i] == header.columns[i].name;
        if (!same) throw TableError({line, 0}, "", kEcsvNamesDiffer);
        header.lastLine = line;
        return header;
    }
    throw TableError({line, 0}, "", kNoHeader);
}

}  // namespace

void ReadDelimitedTable(TableKind kind, ByteSource& source, TableSink& sink) {
    Pieces pieces(source);
    std::uint64_t line = 0;
    RowRules rules = kCsvRules;
    Header header;
    if (kind == TableKind::kVizierTsv) {
        header = ReadVizierHeader(pieces, line);
        rules = kVizierRules;
    } else if (kind == TableKind::kEcsv) {
        header = ReadEcsvHeader(pieces, line, rules);
    } else {
        header = ReadCsvHeader(pieces, line);
    }
    const std::vector<std::size_t> wanted = sink.Columns(header.columns);
    RowReader(pieces, rules, header.columns, wanted, header.lastLine).ReadAll(sink);
}

std::vector<std::string> CsvHeaderNames(std::string_view head) {
    std::size_t position = 0;
    while (position < head.size()) {
        std::size_t end = head.find('\n', position);
        if (end == std::string_view::npos) end = head.size();
        const std::string_view text = WithoutCarriageReturn(head.substr(position, end - position));
        position = end + 1;
        if (text.starts_with('#') || TrimBlanks(text).empty()) continue;
        try {
            return SplitHeaderLine(text, kCsvRules, 0);
        } catch (const TableError&) {
            return {};
        }
    }
    return {};
}

}  // namespace celestra
