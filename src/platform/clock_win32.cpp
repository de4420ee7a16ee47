#include <windows.h>

#include "platform/clock.h"

namespace celestra {
namespace {

class PlatformClock final : public Clock {
public:
    LocalDateTime Now() const override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    }
};

}  // namespace

const Clock& SystemClock() {
    static const PlatformClock clock;
    return clock;
}

}  // namespace celestra
