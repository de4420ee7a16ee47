#include "platform/clock.h"

#include "text/dates.h"

namespace celestra {
namespace {

const Clock* clockInForce = nullptr;

}  // namespace

const Clock& CurrentClock() { return clockInForce != nullptr ? *clockInForce : SystemClock(); }

void SetClock(const Clock* clock) { clockInForce = clock; }

int CurrentYear() { return CurrentClock().Now().year; }

double CurrentDateTime() {
    const LocalDateTime now = CurrentClock().Now();
    return DayCountOf({now.year, now.month, now.day}, now.hour, now.minute, now.second, now.millisecond);
}

}  // namespace celestra
