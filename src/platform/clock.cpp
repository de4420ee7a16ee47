#include "platform/clock.h"

#include "text/dates.h"

#include <chrono>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace celestra {
namespace {

class PlatformClock final : public Clock {
public:
    LocalDateTime Now() const override {
#ifdef _WIN32
        SYSTEMTIME t;
        GetLocalTime(&t);
        return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
#else
        using namespace std::chrono;
        const auto now = system_clock::now();
        const auto sinceEpochMs = duration_cast<milliseconds>(now.time_since_epoch()).count();
        const std::time_t seconds = static_cast<std::time_t>(sinceEpochMs / 1000);
        std::tm local{};
        localtime_r(&seconds, &local);
        return {local.tm_year + 1900,
                local.tm_mon + 1,
                local.tm_mday,
                local.tm_hour,
                local.tm_min,
                local.tm_sec,
                static_cast<int>(sinceEpochMs % 1000)};
#endif
    }
};

const Clock* clockInForce = nullptr;

}  // namespace

const Clock& SystemClock() {
    static const PlatformClock clock;
    return clock;
}

const Clock& CurrentClock() { return clockInForce != nullptr ? *clockInForce : SystemClock(); }

void SetClock(const Clock* clock) { clockInForce = clock; }

int CurrentYear() { return CurrentClock().Now().year; }

double CurrentDateTime() {
    const LocalDateTime now = CurrentClock().Now();
    return DayCountOf({now.year, now.month, now.day}, now.hour, now.minute, now.second, now.millisecond);
}

}  // namespace celestra
