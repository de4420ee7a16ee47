// Tables for the tests: bytes given a few at a time, as a file's reads may
// give them, and a sink that keeps what a reader hands on.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/table.h"

namespace celestra::testing {

// The bytes in one piece.
inline constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();

// Gives `bytes` in pieces of at most `piece` bytes.
class PieceSource final : public ByteSource {
public:
    explicit PieceSource(std::string bytes, std::size_t piece = kWhole) : bytes_(std::move(bytes)), piece_(piece) {}

    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min({size, piece_, bytes_.size() - given_});
        std::memcpy(buffer, bytes_.data() + given_, count);
        given_ += count;
        return count;
    }
    std::size_t given() const { return given_; }

private:
    std::string bytes_;
    std::size_t piece_;
    std::size_t given_ = 0;
};

// Keeps what a reader hands on. It asks for the columns named in `wanted`,
// in that order, or for all of them when none is named; the rows must come
// numbered from 1.
class RecordingSink : public TableSink {
public:
    using Rows = std::vector<std::vector<std::string>>;

    explicit RecordingSink(std::vector<std::string> wanted = {}) : wanted_(std::move(wanted)) {}

    std::vector<std::size_t> Columns(const std::vector<TableColumn>& header) override {
        ++columnsCalls;
        columns = header;
        std::vector<std::size_t> indexes;
        if (wanted_.empty()) {
            for (std::size_t i = 0; i < header.size(); ++i) indexes.push_back(i);
        }
        for (const std::string& name : wanted_) {
            const auto found = std::find_if(header.begin(), header.end(),
                                            [&name](const TableColumn& column) { return column.name == name; });
            if (found == header.end()) {
                ADD_FAILURE() << "no column " << name;
                continue;
            }
            indexes.push_back(static_cast<std::size_t>(found - header.begin()));
        }
        return indexes;
    }

    void Row(std::span<const std::string_view> cells, const TablePlace& where) override {
        rows.emplace_back(cells.begin(), cells.end());
        lines.push_back(where.line);
        EXPECT_EQ(where.row, rows.size());
    }

    int columnsCalls = 0;
    std::vector<TableColumn> columns;
    Rows rows;
    std::vector<std::uint64_t> lines;

private:
    std::vector<std::string> wanted_;
};

}  // namespace celestra::testing
