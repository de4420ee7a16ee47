// Fitting a control's font to its room, measured with the face Qt really
// picks (see font_fit.h).
#pragma once

#include <QFont>
#include <QStringList>

class QWidget;

namespace celestra {

// The window's faces: "MS Sans Serif" where it exists; else faces of about
// its width, so every caption and the ten characters of the date fit their
// controls. The boxes and dialogs take them too, whatever face the system
// would give "sans-serif" (on a bare system, a monospaced one).
QStringList WindowFontFamilies();

// The width in pixels a push button, line edit or label gives its one line
// of text, after the style's frame and margins.
int TextRoom(const QWidget& control);

// `design` at the largest pixel size up to `designPixelSize` at which every
// one of `texts` fits in `roomPixels`.
QFont FittedFont(QFont design, int designPixelSize, int roomPixels, const QStringList& texts);

}  // namespace celestra
