#include <chrono>
#include <ctime>

#include "platform/clock.h"

namespace celestra {
namespace {

class PlatformClock final : public Clock {
public:
    LocalDateTime Now() const override {
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
    }
};

}  // namespace

const Clock& SystemClock() {
    static const PlatformClock clock;
    return clock;
}

}  // namespace celestra
