#include "text/strings.h"

#include <gtest/gtest.h>

#include <string>

namespace celestra {
namespace {

struct SubstringRow {
    const char* text;
    long long start;
    long long count;
    const char* expected;
    const char* reason;
};

TEST(Substring, CutsByTable) {
    const SubstringRow rows[] = {
        {"abcdef", 1, 3, "abc", ""},
        {"abcdef", 2, 3, "bcd", ""},
        {"abcdef", 0, 3, "abc", "a start from 0 counts from 1"},
        {"abcdef", -5, 2, "ab", ""},
        {"abcdef", 7, 1, "", "start beyond the end"},
        {"abcdef", 6, 1, "f", "the last byte"},
        {"abcdef", 5, 100, "ef", "count past the end is cut"},
        {"abcdef", 2, -1, "", "negative count"},
        {"abcdef", 2, 0, "", ""},
        {"", 1, 1, "", ""},
    };
    for (const SubstringRow& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " " + std::to_string(row.start) + " " + row.reason);
        EXPECT_EQ(Substring(row.text, row.start, row.count), row.expected);
    }
}

TEST(Trim, RemovesBytesUpTo32AtBothEnds) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> rows[] = {
        {" \t\rSTAR 01\r\n ", "STAR 01"},  // inner blanks stay
        {"    ", ""},
        {""s, ""},
        {"\0\x01"
         "ab\x1F"s,
         "ab"},                      // NUL and control bytes go too
        {"\x21x\x21", "\x21x\x21"},  // 33 is no longer trimmed
        {"\xA0x\xA0", "\xA0x\xA0"},  // bytes above 127 are ordinary
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(Trim(text), expected);
}

}  // namespace
}  // namespace celestra
