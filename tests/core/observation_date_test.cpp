#include "core/observation_date.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace celestra {
namespace {

TEST(DefaultObservationDate, MovesToTheNextDayPastNoon) {
    const struct {
        LocalDateTime now;
        const char* date;
    } rows[] = {
        {{2026, 12, 8, 11, 59, 59, 999}, "08/12/2026"},
        {{2026, 12, 8, 12, 0, 0, 0}, "08/12/2026"},  // noon exactly keeps the day
        {{2026, 12, 8, 12, 0, 0, 1}, "09/12/2026"},
        {{2026, 12, 31, 23, 59, 0, 0}, "01/01/2027"},
        {{2028, 2, 28, 18, 0, 0, 0}, "29/02/2028"},
    };
    for (const auto& row : rows) {
        testing::FixedClock clock(row.now);
        EXPECT_EQ(DefaultObservationDate(), row.date);
    }
}

}  // namespace
}  // namespace celestra
