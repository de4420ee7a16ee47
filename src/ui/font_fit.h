// How big a control's text may be: the fonts of the layout are chosen for
// one face, and another face of the same pixel size may be wider. The text
// is shrunk until it fits, never grown.
#pragma once

#include <functional>

namespace celestra {

// Below this no text is legible; a control that cannot hold its text even
// then gets this size.
inline constexpr int kSmallestPixelSize = 6;

// The largest pixel size from `designPixelSize` down to kSmallestPixelSize
// at which `textWidthAt(size)`, the text's width in pixels, is at most
// `roomPixels`.
int FittingPixelSize(int designPixelSize, int roomPixels, const std::function<int(int pixelSize)>& textWidthAt);

}  // namespace celestra
