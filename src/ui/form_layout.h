// The main window's layout, the one table both front ends build from:
// caption, client size, and each control's place, size, text and character
// height, in pixels at 96 dots per inch from the client area's top left.
// The controls are listed in tab order: Tab goes from each control whose
// tabStop is set to the next such one, and from the last back to the first.
#pragma once

#include <string>
#include <vector>

#include "text/fixed_texts.h"

namespace celestra {

inline constexpr int kFormClientWidth = 504;
inline constexpr int kFormClientHeight = 162;

// Character heights: the window's font, and the larger one of "Fecha:" and
// the date.
inline constexpr int kFormPixelSize = 11;
inline constexpr int kDatePixelSize = 19;

enum class ControlKind { kButton, kPathField, kDateField, kSpinner, kLabel, kCheckBox };

struct ControlLayout {
    const char* name;  // the control's identifier, as the front ends name it
    ControlKind kind;
    const char* text;  // the initial text
    int left, top, width, height;
    int pixelSize;
    bool tabStop;
};

inline constexpr ControlLayout kCometFileButtonLayout{
    "CometFileButton", ControlKind::kButton, kCometFileCaption, 11, 15, 75, 25, kFormPixelSize, true};
inline constexpr ControlLayout kObjectFileButtonLayout{
    "ObjectFileButton", ControlKind::kButton, kObjectFileCaption, 11, 47, 75, 25, kFormPixelSize, true};
inline constexpr ControlLayout kCometPathFieldLayout{
    "CometPathField", ControlKind::kPathField, "", 99, 17, 393, 21, kFormPixelSize, true};
inline constexpr ControlLayout kObjectPathFieldLayout{
    "ObjectPathField", ControlKind::kPathField, "", 99, 49, 393, 21, kFormPixelSize, true};
inline constexpr ControlLayout kProcessButtonLayout{
    "ProcessButton", ControlKind::kButton, kProcessCaption, 11, 123, 75, 25, kFormPixelSize, true};
inline constexpr ControlLayout kDateFieldLayout{"DateField", ControlKind::kDateField, "",  101, 80, 105,
                                                32,          kDatePixelSize,          true};
inline constexpr ControlLayout kTodayButtonLayout{
    "TodayButton", ControlKind::kButton, kTodayCaption, 233, 87, 41, 25, kFormPixelSize, true};
// Ticked, "Proceso" writes the precise lines; wide enough for its box and
// caption.
inline constexpr ControlLayout kPreciseBoxLayout{
    "PreciseBox", ControlKind::kCheckBox, kPreciseCaption, 290, 91, 65, 17, kFormPixelSize, true};
inline constexpr ControlLayout kDaySpinnerLayout{"DaySpinner", ControlKind::kSpinner, "",   208, 80, 16,
                                                 33,           kFormPixelSize,        false};
inline constexpr ControlLayout kDateLabelLayout{"DateLabel", ControlKind::kLabel, kDateLabel, 27, 84, 59,
                                                24,          kDatePixelSize,      false};

inline constexpr ControlLayout kFormControls[] = {
    kCometFileButtonLayout, kObjectFileButtonLayout, kCometPathFieldLayout, kObjectPathFieldLayout,
    kProcessButtonLayout,   kDateFieldLayout,        kTodayButtonLayout,    kPreciseBoxLayout,
    kDaySpinnerLayout,      kDateLabelLayout,
};

// The control with the focus when the window opens: the first tab stop.
constexpr const ControlLayout& StartFocusControl() {
    for (const ControlLayout& layout : kFormControls) {
        if (layout.tabStop) return layout;
    }
    return kFormControls[0];
}

// The dots per inch the layout's pixels are given at.
inline constexpr int kLayoutDpi = 96;

// A length of the layout on a screen of `dpi` dots per inch, rounded to the
// nearest pixel (halves away from zero, as MulDiv rounds); unchanged at 96.
constexpr int ScaledPixels(int pixels, int dpi) {
    const long long product = static_cast<long long>(pixels) * dpi;
    const long long half = kLayoutDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kLayoutDpi : -((-product + half) / kLayoutDpi));
}

// A control's layout on a screen of `dpi` dots per inch: place, size and
// character height scaled alike, so that the window is the same to the eye
// at any setting.
constexpr ControlLayout ScaledLayout(const ControlLayout& layout, int dpi) {
    ControlLayout scaled = layout;
    scaled.left = ScaledPixels(layout.left, dpi);
    scaled.top = ScaledPixels(layout.top, dpi);
    scaled.width = ScaledPixels(layout.width, dpi);
    scaled.height = ScaledPixels(layout.height, dpi);
    scaled.pixelSize = ScaledPixels(layout.pixelSize, dpi);
    return scaled;
}

// Every text the date field can show at its widest: the blank mask, and
// each digit in every digit position; the field's font must fit them all.
std::vector<std::string> DateFieldWidestTexts(char separator);

}  // namespace celestra
