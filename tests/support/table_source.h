// Tables for the tests: bytes given a few at a time, as a file's reads may
// give them, and a sink that keeps what a reader hands on.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "text/table.h"

namespace celestra::testing {

// Gives `bytes` in pieces of at most `pieceBytes`.
class StringSource final : public ByteSource {
public:
    explicit StringSource(std::string bytes, std::size_t pieceBytes = SIZE_MAX)
        : bytes_(std::move(bytes)), pieceBytes_(pieceBytes) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min({size, pieceBytes_, bytes_.size() - given_});
        std::memcpy(buffer, bytes_.data() + given_, count);
        given_ += count;
        return count;
    }

private:
    std::string bytes_;
    std::size_t pieceBytes_;
    std::size_t given_ = 0;
};

// Asks for the columns named in `wanted` (all when empty), keeps the header
// and every row's cells, each row as "cell|cell|...", and where it stood.
class RecordingSink final : public TableSink {
public:
    explicit RecordingSink(std::vector<std::string> wanted = {}) : wanted_(std::move(wanted)) {}

    std::vector<std::size_t> Columns(const std::vector<TableColumn>& header) override {
        columns = header;
        std::vector<std::size_t> indexes;
        for (std::size_t i = 0; i < header.size(); ++i) {
            if (wanted_.empty() || std::find(wanted_.begin(), wanted_.end(), header[i].name) != wanted_.end()) {
                indexes.push_back(i);
            }
        }
        return indexes;
    }
    void Row(std::span<const std::string_view> cells, const TablePlace& where) override {
        std::string row;
        for (std::size_t i = 0; i < cells.size(); ++i) row += (i > 0 ? "|" : "") + std::string(cells[i]);
        rows.push_back(row);
        places.push_back(where);
    }

    std::vector<TableColumn> columns;
    std::vector<std::string> rows;
    std::vector<TablePlace> places;

private:
    std::vector<std::string> wanted_;
};

}  // namespace celestra::testing
