#include "text/dates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"
#include "support/temp_dir.h"
#include "text/errors.h"
#include "text/numbers.h"

namespace celestra {
namespace {

constexpr LocalDateTime kIn2026{2026, 12, 8, 2, 30, 0, 0};

TEST(DayNumber, CountsFrom30December1899) {
    EXPECT_EQ(DayNumber({1899, 12, 30}), 0);
    EXPECT_EQ(DayNumber({1900, 1, 1}), 2);
    EXPECT_EQ(DayNumber({2000, 2, 29}), 36585);
    EXPECT_EQ(DayNumber({2005, 3, 21}), 38432);
    EXPECT_EQ(DayNumber({1, 1, 1}), -693593);
    EXPECT_EQ(DayNumber({9999, 12, 31}), 2958465);
}

TEST(DateOfDayNumber, InvertsDayNumberOverTheWholeRange) {
    // Every day from year 1 to 9999, including every cycle boundary.
    CalendarDate expected{1, 1, 1};
    for (long long n = DayNumber({1, 1, 1}); n <= DayNumber({9999, 12, 31}); ++n) {
        const CalendarDate date = DateOfDayNumber(n);
        ASSERT_EQ(date.year, expected.year) << n;
        ASSERT_EQ(date.month, expected.month) << n;
        ASSERT_EQ(date.day, expected.day) << n;
        if (++expected.day > DaysInMonth(expected.year, expected.month)) {
            expected.day = 1;
            if (++expected.month > 12) {
                expected.month = 1;
                ++expected.year;
            }
        }
    }
}

struct DateRow {
    const char* text;
    bool ok;
    CalendarDate date;
    const char* reason;
};

TEST(TextToDate, AcceptsAndRejectsByTable) {
    const DateRow rows[] = {
        {"21/03/2005", true, {2005, 3, 21}, ""},
        {" 21 / 03 / 2005 ", true, {2005, 3, 21}, "blanks around numbers and separators"},
        {"21/03/2005/", true, {2005, 3, 21}, "one trailing separator"},
        {"21/03/2005/  ", true, {2005, 3, 21}, ""},
        {"1/3/2005", true, {2005, 3, 1}, "single digits"},
        {"21/03", true, {2026, 3, 21}, "day and month: the current year"},
        {"21/03/05", true, {2005, 3, 21}, "two-digit year, window from 1976"},
        {"21/03/5", true, {2005, 3, 21}, ""},
        {"21/03/00", true, {2000, 3, 21}, ""},
        {"21/03/75", true, {2075, 3, 21}, "below the window's base"},
        {"21/03/76", true, {1976, 3, 21}, "the window's base"},
        {"21/03/005", true, {5, 3, 21}, "three digits are not windowed"},
        {"21/03/02005", true, {2005, 3, 21}, "leading zeros do not cap the reading"},
        {"29/02/2000", true, {2000, 2, 29}, "leap by 400"},
        {"31/12/9999", true, {9999, 12, 31}, "last day"},
        {"01/01/0001", true, {1, 1, 1}, "first day"},
        {"21/03/", false, {}, "a separator makes the year compulsory"},
        {"21", false, {}, "one number"},
        {"29/02/2005", false, {}, ""},
        {"29/02/1900", false, {}, "not leap by 100"},
        {"31/04/2005", false, {}, ""},
        {"00/03/2005", false, {}, ""},
        {"21/13/2005", false, {}, ""},
        {"21/00/2005", false, {}, ""},
        {"21/03/0000", false, {}, "year 0"},
        {"21/03/2005 12:00", false, {}, "no time of day"},
        {"21-03-2005", false, {}, "another separator"},
        {"21/03/20051", false, {}, "digits stop at 1000 and one is left"},
        {"21/03/2005//", false, {}, "only one trailing separator"},
        {"21/03 x", false, {}, ""},
        {"  /  /    ", false, {}, "the empty date field"},
        {"", false, {}, ""},
        {"\t21/03/2005", false, {}, "a tab is not a blank"},
    };
    for (const DateRow& row : rows) {
        SCOPED_TRACE(std::string("'") + row.text + "' " + row.reason);
        if (row.ok) {
            EXPECT_EQ(TextToDate(row.text, kIn2026.year), DayNumber(row.date));
        } else {
            EXPECT_THAT(
                [&] { TextToDate(row.text, kIn2026.year); },
                ::testing::ThrowsMessage<ConversionError>(std::string("'") + row.text + "' is not a valid date"));
        }
    }
}

TEST(TextToDate, WindowsTwoDigitYearsFromTheCurrentYear) {
    const std::pair<int, int> years[][2] = {
        {{2026, 75}, {2026, 2075}}, {{2049, 98}, {2049, 2098}},  // base 1999
        {{2049, 99}, {2049, 1999}}, {{2050, 0}, {2050, 2000}},
        {{2051, 0}, {2051, 2100}},  // base 2001: 00 falls below it
    };
    for (const auto& row : years) {
        const std::string text = "01/01/" + std::to_string(row[0].second);
        EXPECT_EQ(TextToDate(text, row[0].first), DayNumber({row[1].second, 1, 1})) << text << " in " << row[0].first;
    }
}

TEST(TextToDate, UsesTheDateSeparatorOfTheConventions) {
    TextConventions dotted;
    dotted.dateSeparator = '.';
    testing::ScopedConventions scoped(dotted);
    EXPECT_EQ(TextToDate("21.03.2005", kIn2026.year), 38432);
    EXPECT_THROW(TextToDate("21/03/2005", kIn2026.year), ConversionError);
    EXPECT_EQ(DateToText(38432), "21.03.2005");
}

TEST(DateToText, WritesTheDayByTable) {
    const std::pair<double, const char*> rows[] = {
        {38432, "21/03/2005"},
        {38432.75, "21/03/2005"},  // the time of day plays no part
        {2, "01/01/1900"},
        {0, "30/12/1899"},
        {36585, "29/02/2000"},
        {-693593, "01/01/0001"},
        {2958465, "31/12/9999"},
        {38432 + 1 - 0.4 / 86400000, "22/03/2005"},  // under half a millisecond before midnight
        {38432 + 1 - 0.6 / 86400000, "21/03/2005"},  // over half a millisecond before it
    };
    for (const auto& [dayCount, text] : rows) EXPECT_EQ(DateToText(dayCount), text) << dayCount;
    // Years of one to three digits are written with four.
    EXPECT_EQ(DateToText(DayNumber({999, 12, 31})), "31/12/0999");
    EXPECT_EQ(DateToText(DayNumber({42, 6, 1})), "01/06/0042");
}

TEST(CurrentDateTime, CountsDaysAndMilliseconds) {
    {
        testing::FixedClock noon({2005, 3, 21, 12, 0, 0, 0});
        EXPECT_EQ(CurrentDateTime(), 38432.5);
        EXPECT_EQ(FractionalPart(CurrentDateTime()), 0.5L);  // exact
    }
    {
        testing::FixedClock justAfter({2005, 3, 21, 12, 0, 0, 1});
        EXPECT_GT(FractionalPart(CurrentDateTime()), 0.5L);
        EXPECT_EQ(DateToText(CurrentDateTime()), "21/03/2005");
    }
    {
        testing::FixedClock lastMillisecond({2005, 3, 21, 23, 59, 59, 999});
        EXPECT_EQ(DateToText(CurrentDateTime()), "21/03/2005");
    }
}

}  // namespace
}  // namespace celestra
