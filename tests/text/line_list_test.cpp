#include "text/line_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/line_list_file.h"
#include "platform/text_file.h"
#include "support/temp_dir.h"
#include "text/errors.h"

namespace celestra {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;
using ::testing::ThrowsMessage;

Lines Strings(const std::vector<std::string_view>& views) { return Lines(views.begin(), views.end()); }

TEST(SplitLines, SplitsAtEveryKindOfLineEnd) {
    const std::pair<std::string, Lines> rows[] = {
        {"a\rb", {"a", "b"}},  // a lone CR ends a line here
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\n", {"a"}},  // no empty line after the last end
        {"a\r\n\r\n", {"a", ""}},
        {"a\n\rb", {"a", "", "b"}},  // LF CR is two line ends
        {"", {}},
        {"\r\n", {""}},
        {"\x1A\r\nz", {"\x1A", "z"}},  // Ctrl-Z is an ordinary byte here
        {"a\0b"s, {"a\0b"s}},
    };
    for (const auto& [bytes, lines] : rows) EXPECT_EQ(Strings(SplitLines(bytes)), lines);
}

TEST(LineList, SavesAndLoadsWholeFiles) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");

    LineList list;
    SaveToFile(list, path);
    EXPECT_EQ(testing::ReadBytes(path), "") << "an empty list gives 0 bytes";

    list.Add("x");
    SaveToFile(list, path);
    EXPECT_EQ(testing::ReadBytes(path), "x\r\n");

    testing::WriteBytes(path, "first\rsecond\n\x1A\r\nlast");
    LoadRawLines(list, path);
    EXPECT_EQ(Strings(list.Lines()), (Lines{"first", "second", "\x1A", "last"}));
    SaveToFile(list, path);
    EXPECT_EQ(testing::ReadBytes(path), "first\r\nsecond\r\n\x1A\r\nlast\r\n");
}

TEST(LineList, KeepsItsLinesWhenAFileCannotBeOpened) {
    testing::TempDir dir;
    LineList list;
    list.Add("kept");
    for (const std::string& path : {dir.File("missing"), dir.path()}) {
        EXPECT_THAT([&] { LoadRawLines(list, path); }, ThrowsMessage<FileStreamError>("Cannot open file " + path));
        EXPECT_EQ(Strings(list.Lines()), Lines{"kept"});
    }
}

TEST(LineList, ReportsFilesThatCannotBeCreatedOrWritten) {
    testing::TempDir dir;
    LineList list;
    list.Add("x");
    for (const std::string& path : {dir.path(), dir.File("no-folder/comet.dat")}) {
        EXPECT_THAT([&] { SaveToFile(list, path); }, ThrowsMessage<FileStreamError>("Cannot create file " + path));
    }
#ifndef _WIN32
    EXPECT_THAT([&] { SaveToFile(list, "/dev/full"); }, ThrowsMessage<FileStreamError>("Stream write error"));
#endif
}

TEST(LineList, RefusesALineOnlyWhenFull) {
    LineList list(2);
    list.Add("a");
    list.Add("b");
    EXPECT_THAT([&] { list.Add("c"); }, ThrowsMessage<ListError>("Unable to insert a line"));
    EXPECT_THAT([&] { list.Delete(2); }, ThrowsMessage<ListError>("List index out of bounds (2)"));
    list.Delete(0);
    list.Add("c");
    EXPECT_EQ(Strings(list.Lines()), (Lines{"b", "c"}));
}

// A list takes a file of exactly as many lines as it holds, and refuses one
// line more, whichever way the file is split.
TEST(LineList, ReadsAFileOfExactlyItsCapacity) {
    testing::TempDir dir;
    const std::string path = dir.File("lines.txt");
    const struct {
        const char* bytes;
        bool fits;
    } rows[] = {{"a\r\nb\r\nc\r\n", true}, {"a\nb\nc", true}, {"a\r\nb\r\nc\r\nd\r\n", false}, {"a\nb\nc\nd", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        testing::WriteBytes(path, row.bytes);
        for (const bool asRead : {false, true}) {
            LineList list(3);
            const auto load = [&] { asRead ? ReadTextLines(list, path) : LoadRawLines(list, path); };
            if (row.fits) {
                EXPECT_NO_THROW(load());
                EXPECT_EQ(list.Count(), 3u);
            } else {
                EXPECT_THAT(load, ThrowsMessage<ListError>("Unable to insert a line"));
            }
        }
    }
}

// ReadTextLines splits as the streaming line reader does, row by row.
TEST(LineList, ReadsAFileKeepingItsBytes) {
    testing::TempDir dir;
    const std::string path = dir.File("objetos.txt");
    const std::string rows[] = {"a\r\nb\n", "a\r\nb", "a\r\n\r\nb", "a\rb\r\n", "a\r\n\x1Az\n", "",
                                "x\r",      "\x1A",   "a\x1A\nb",   "\r\r\n",   "a\0b\n"s,      "\n\n"};
    for (const std::string& bytes : rows) {
        testing::WriteBytes(path, bytes);
        LineList list;
        ReadTextLines(list, path);
        EXPECT_EQ(list.LoadedBytes(), bytes);
    }
    LineList list;
    EXPECT_THAT([&] { ReadTextLines(list, dir.File("missing")); },
                ThrowsMessage<InOutError>("File not found: " + dir.File("missing")));
}

// Added lines are copies that stay put as the list grows and moves.
TEST(LineList, KeepsAddedLinesThroughGrowthAndMoves) {
    LineList list;
    for (int i = 0; i < 3000; ++i) list.Add(std::string(1000, static_cast<char>('a' + i % 26)));
    list.Replace(1, "short");
    LineList moved(std::move(list));
    ASSERT_EQ(moved.Count(), 3000u);
    EXPECT_EQ(moved[1], "short");
    for (std::size_t i = 2; i < moved.Count(); ++i) {
        ASSERT_EQ(moved[i], std::string(1000, static_cast<char>('a' + i % 26))) << i;
    }
}

}  // namespace
}  // namespace celestra
