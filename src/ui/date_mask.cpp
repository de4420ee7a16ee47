#include "ui/date_mask.h"

#include <algorithm>

#include "text/date_field.h"
#include "text/number_scan.h"

namespace celestra {
namespace {

constexpr char kEmpty = ' ';
// The first digit of the month and of the year group.
constexpr int kMonthStart = kMonthPart.firstColumn - 1;
constexpr int kYearStart = kYearPart.firstColumn - 1;

using number_text::IsDigit;

// A character at a position of the field (always within its ten).
char& At(std::string& text, int position) { return text[static_cast<std::size_t>(position)]; }
char At(std::string_view text, int position) { return text[static_cast<std::size_t>(position)]; }

}  // namespace

DateMask::DateMask(char separator) : separator_(separator), text_(kLength, kEmpty) {
    for (int p = 0; p < kLength; ++p) {
        if (IsDateSeparatorPosition(p)) text_[static_cast<std::size_t>(p)] = separator_;
    }
    savedText_ = text_;
}

std::string DateMask::DisplayText() const {
    std::string shown = text_;
    for (int p = 0; p < kLength; ++p) {
        if (IsDigitPosition(p) && At(shown, p) == kEmpty) At(shown, p) = kBlankShown;
    }
    return shown;
}

int DateMask::SelectionStart() const { return std::min(anchor_, cursor_); }
int DateMask::SelectionEnd() const { return std::max(anchor_, cursor_); }

bool DateMask::IsDigitPosition(int position) {
    return position >= 0 && position < kLength && !IsDateSeparatorPosition(position);
}

int DateMask::NextDigitPosition(int position) {
    while (position < kLength && !IsDigitPosition(position)) ++position;
    return position;
}

int DateMask::PrevDigitPosition(int position) {
    --position;
    while (position >= 0 && !IsDigitPosition(position)) --position;
    return position;
}

void DateMask::SetProgramText(std::string_view text) {
    // Always ten characters with the separators in their places.
    text_.assign(kLength, kEmpty);
    for (int p = 0; p < kLength; ++p) {
        if (!IsDigitPosition(p)) {
            At(text_, p) = separator_;
        } else if (p < static_cast<int>(text.size()) && IsDigit(At(text, p))) {
            At(text_, p) = At(text, p);
        }
    }
    savedText_ = text_;
    editMark_ = false;
    cursor_ = anchor_ = 0;
}

void DateMask::TakeFocus() {
    savedText_ = text_;
    SelectAll();
}

void DateMask::FocusIn(bool fromAnotherControl) {
    if (fromAnotherControl && !focusReturning_) TakeFocus();
    focusReturning_ = false;
}

bool DateMask::ReturnFocus(bool fieldHasFocus) {
    CursorToFirstEmpty();
    if (fieldHasFocus) return false;
    focusReturning_ = true;
    return true;
}

void DateMask::SetCursor(int position) { SetSelection(position, position); }

void DateMask::SetSelection(int anchor, int cursor) {
    anchor_ = std::clamp(anchor, 0, kLength);
    cursor_ = std::clamp(cursor, 0, kLength);
}

void DateMask::SelectAll() { SetSelection(0, kLength); }

void DateMask::MoveCursor(int position, bool extendSelection) {
    cursor_ = std::clamp(position, 0, kLength);
    if (!extendSelection) anchor_ = cursor_;
}

void DateMask::ClearSelection() {
    for (int p = SelectionStart(); p < SelectionEnd(); ++p) {
        if (IsDigitPosition(p)) At(text_, p) = kEmpty;
    }
    cursor_ = anchor_ = SelectionStart();
}

bool DateMask::Type(char c) {
    if (c == separator_) {
        // Inside the day or month group: on to the next group's first digit.
        const int from = SelectionStart();
        if (from >= kYearStart) return false;
        MoveCursor(from < kMonthStart ? kMonthStart : kYearStart, false);
        return true;
    }
    if (!IsDigit(c)) return false;
    if (HasSelection()) ClearSelection();
    const int position = NextDigitPosition(cursor_);
    if (position == kLength) return false;
    At(text_, position) = c;
    MoveCursor(NextDigitPosition(position + 1), false);
    editMark_ = true;
    return true;
}

void DateMask::Left(bool extendSelection) {
    if (!extendSelection && HasSelection()) {
        MoveCursor(SelectionStart(), false);
        return;
    }
    const int previous = PrevDigitPosition(cursor_);
    MoveCursor(previous < 0 ? 0 : previous, extendSelection);
}

void DateMask::Right(bool extendSelection) {
    if (!extendSelection && HasSelection()) {
        MoveCursor(SelectionEnd(), false);
        return;
    }
    MoveCursor(cursor_ < kLength ? NextDigitPosition(cursor_ + 1) : kLength, extendSelection);
}

void DateMask::Home(bool extendSelection) { MoveCursor(0, extendSelection); }

void DateMask::End(bool extendSelection) { MoveCursor(kLength, extendSelection); }

void DateMask::Backspace() {
    if (HasSelection()) {
        ClearSelection();
    } else {
        const int previous = PrevDigitPosition(cursor_);
        if (previous < 0) return;
        At(text_, previous) = kEmpty;
        MoveCursor(previous, false);
    }
    editMark_ = true;
}

void DateMask::Delete() {
    if (HasSelection()) {
        ClearSelection();
    } else {
        const int position = NextDigitPosition(cursor_);
        if (position == kLength) return;
        At(text_, position) = kEmpty;
    }
    editMark_ = true;
}

std::string DateMask::Copy() const {
    return text_.substr(static_cast<std::size_t>(SelectionStart()),
                        static_cast<std::size_t>(SelectionEnd() - SelectionStart()));
}

std::string DateMask::Cut() {
    if (!HasSelection()) return {};
    std::string cut = Copy();
    ClearSelection();
    editMark_ = true;
    return cut;
}

void DateMask::Paste(std::string_view clipboard) {
    if (HasSelection()) ClearSelection();
    int position = cursor_;
    for (char c : clipboard) {
        if (position >= kLength) break;
        if (!IsDigitPosition(position)) {
            ++position;  // the separator stays where it is
            if (c == separator_) continue;
            if (position >= kLength) break;
        }
        At(text_, position) = IsDigit(c) ? c : kEmpty;
        ++position;
    }
    MoveCursor(NextDigitPosition(position), false);
    editMark_ = true;
}

bool DateMask::Escape() {
    if (!editMark_) return false;
    text_ = savedText_;
    editMark_ = false;
    MoveCursor(0, false);
    return true;
}

bool DateMask::Press(MaskKey key, bool extendSelection) {
    switch (key) {
        case MaskKey::kLeft: Left(extendSelection); break;
        case MaskKey::kRight: Right(extendSelection); break;
        case MaskKey::kHome: Home(extendSelection); break;
        case MaskKey::kEnd: End(extendSelection); break;
        case MaskKey::kBackspace: Backspace(); break;
        case MaskKey::kDelete: Delete(); break;
        case MaskKey::kUp:
        case MaskKey::kDown: break;
        case MaskKey::kEscape: return Escape();
    }
    return true;
}

bool DateMask::FailsMaskCheck() const {
    if (!editMark_) return false;
    for (int p = 0; p < kLength; ++p) {
        if (IsDigitPosition(p) && At(text_, p) == kEmpty) return true;
    }
    return false;
}

void DateMask::CursorToFirstEmpty() {
    for (int p = 0; p < kLength; ++p) {
        if (IsDigitPosition(p) && At(text_, p) == kEmpty) {
            MoveCursor(p, false);
            return;
        }
    }
}

bool PressDateKey(DateMask& mask, DateKeyTarget& target, DateKey key, bool shift, bool control) {
    const auto copy = [&] {
        if (const std::string text = mask.Copy(); !text.empty()) target.SetClipboardText(text);
        return true;
    };
    const auto cut = [&] {
        if (const std::string text = mask.Cut(); !text.empty()) target.SetClipboardText(text);
        return true;
    };
    const auto paste = [&] {
        mask.Paste(target.ClipboardText());
        return true;
    };
    switch (key) {
        case DateKey::kLeft: return mask.Press(MaskKey::kLeft, shift);
        case DateKey::kRight: return mask.Press(MaskKey::kRight, shift);
        case DateKey::kHome: return mask.Press(MaskKey::kHome, shift);
        case DateKey::kEnd: return mask.Press(MaskKey::kEnd, shift);
        case DateKey::kUp: return mask.Press(MaskKey::kUp, false);
        case DateKey::kDown: return mask.Press(MaskKey::kDown, false);
        case DateKey::kBackspace: return mask.Press(MaskKey::kBackspace, false);
        case DateKey::kDelete: return shift ? cut() : mask.Press(MaskKey::kDelete, false);
        case DateKey::kInsert: return shift ? paste() : control && copy();
        case DateKey::kEscape: return mask.Press(MaskKey::kEscape, false);
        case DateKey::kEnter: target.Enter(); return true;
        case DateKey::kA:
            if (control) mask.SelectAll();
            return control;
        case DateKey::kC: return control && copy();
        case DateKey::kX: return control && cut();
        case DateKey::kV: return control && paste();
    }
    return false;
}

}  // namespace celestra
