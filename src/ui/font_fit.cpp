#include "ui/font_fit.h"

namespace celestra {

int FittingPixelSize(int designPixelSize, int roomPixels, const std::function<int(int pixelSize)>& textWidthAt) {
    // Widths do not always shrink with the size (hinting rounds each size
    // its own way), so each size is measured, from the largest down.
    for (int size = designPixelSize; size > kSmallestPixelSize; --size) {
        if (textWidthAt(size) <= roomPixels) return size;
    }
    return kSmallestPixelSize;
}

}  // namespace celestra
