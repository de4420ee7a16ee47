#include "ui/font_fit.h"

#include <gtest/gtest.h>

#include <map>

namespace celestra {
namespace {

TEST(FittingPixelSize, IsTheLargestSizeUpToTheDesignsThatFits) {
    const struct {
        int designPixelSize;
        int roomPixels;
        std::map<int, int> widthAt;  // pixel size -> text width; unlisted sizes: 6 px a pixel
        int expected;
        const char* reason;
    } rows[] = {
        {19, 100, {}, 16, "6 px a pixel: 16 gives 96, 17 gives 102"},
        {19, 114, {}, 19, "exactly the room at the design size"},
        {19, 200, {}, 19, "never grown past the design size"},
        {19, 113, {}, 18, "one pixel short at the design size"},
        {11, 10, {}, 6, "nothing fits: the smallest legible size"},
        {19, 100, {{18, 99}, {17, 104}}, 18, "hinting: 17 wider than 18"},
        {6, 0, {}, 6, "the smallest size is the floor even when it is the design"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        const int size = FittingPixelSize(row.designPixelSize, row.roomPixels, [&](int pixelSize) {
            const auto found = row.widthAt.find(pixelSize);
            return found != row.widthAt.end() ? found->second : 6 * pixelSize;
        });
        EXPECT_EQ(size, row.expected);
    }
}

}  // namespace
}  // namespace celestra
