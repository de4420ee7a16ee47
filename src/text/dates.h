// Calendar days as day counts: days since 1899-12-30 00:00 in the local
// calendar (proleptic Gregorian, years 1 to 9999), the fraction being the
// time of day. Dates are written "dd/mm/yyyy" with the date separator of
// Conventions().
#pragma once

#include <string>
#include <string_view>

#include "text/errors.h"

namespace celestra {

struct CalendarDate {
    int year = 1;
    int month = 1;
    int day = 1;
};

bool IsLeapYear(int year);

// Days in a month of a year (month 1..12).
int DaysInMonth(int year, int month);

// The day count of 0h of an existing date: 1899-12-30 is 0, 2005-03-21 is
// 38432.
int DayNumber(const CalendarDate& date);

// The calendar date of a whole day count.
CalendarDate DateOfDayNumber(long long dayNumber);

// "dd/mm/yyyy" (or "dd/mm" in `currentYear`) to the day count of that date,
// a whole number; one- and two-digit years fall into the conventions' window
// around `currentYear`. Throws ConversionError "'<text>' is not a valid
// date".
double TextToDate(std::string_view text, int currentYear);

// The day count of a date and time of day (hours, minutes, seconds and
// milliseconds as integers), to the millisecond.
double DayCountOf(const CalendarDate& date, int hour, int minute, int second, int millisecond);

// The day of a day count, to the nearest millisecond, as "dd/mm/yyyy".
std::string DateToText(double dayCount);

// The error of a text that is no date: "'<text>' is not a valid date".
ConversionError NotADateError(std::string_view text);

}  // namespace celestra
