// The local clock, behind an interface so tests can stop it at any instant.
#pragma once

namespace celestra {

// A local calendar date and time of day, to the millisecond.
struct LocalDateTime {
    int year = 1;
    int month = 1;        // 1..12
    int day = 1;          // 1..31
    int hour = 0;         // 0..23
    int minute = 0;       // 0..59
    int second = 0;       // 0..59
    int millisecond = 0;  // 0..999
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() const = 0;
};

// The platform's local clock.
const Clock& SystemClock();

// The clock every "current date" of the system reads; the system clock
// unless a test has set another.
const Clock& CurrentClock();

// Sets the clock in force; nullptr goes back to the system clock. The clock
// must outlive its use.
void SetClock(const Clock* clock);

// The year of CurrentClock(), which a date written without one takes.
int CurrentYear();

// The local date and time of CurrentClock(), as a day count to the
// millisecond.
double CurrentDateTime();

}  // namespace celestra
