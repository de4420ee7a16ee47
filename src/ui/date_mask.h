// The editing rules of the date field: a fixed mask of two day digits, a
// separator, two month digits, a separator and four year digits, always in
// overwrite mode. No display dependency: the widget forwards keys and
// clipboard actions here and shows the result.
#pragma once

#include <string>
#include <string_view>

#include "text/date_field.h"

namespace celestra {

// The editing keys the mask itself takes; PressDateKey hands them on.
enum class MaskKey { kLeft, kRight, kHome, kEnd, kBackspace, kDelete, kUp, kDown, kEscape };

// The keys the date field takes, as both windows name them; A, C, V and X
// count only with Ctrl.
enum class DateKey {
    kLeft,
    kRight,
    kHome,
    kEnd,
    kUp,
    kDown,
    kBackspace,
    kDelete,
    kInsert,
    kEscape,
    kEnter,
    kA,
    kC,
    kV,
    kX
};

// What the date field's keys reach beyond the mask: the front end's
// clipboard, and Enter's check.
class DateKeyTarget {
public:
    virtual ~DateKeyTarget() = default;
    virtual std::string ClipboardText() = 0;
    // Not called with an empty text: with nothing selected, the clipboard
    // keeps what it holds.
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual void Enter() = 0;
};

class DateMask {
public:
    static constexpr int kLength = kDateFieldLength;
    // Shown in place of an empty digit position.
    static constexpr char kBlankShown = '_';

    // All digit positions empty.
    explicit DateMask(char separator);

    // The ten characters the program reads: a blank in each empty digit
    // position.
    const std::string& Text() const { return text_; }
    // The ten characters shown: "_" in each empty digit position.
    std::string DisplayText() const;

    int Cursor() const { return cursor_; }
    // The selection as [start, end); start == end when there is none.
    int SelectionStart() const;
    int SelectionEnd() const;
    // The selection's fixed end, which Shift with an arrow extends from; a
    // front end shows the selection from here to the cursor. The cursor
    // itself when nothing is selected.
    int Anchor() const { return anchor_; }
    bool EditMark() const { return editMark_; }

    // The program writes a date: the text is replaced, the edit mark
    // cleared, and Escape will come back to this text.
    void SetProgramText(std::string_view text);

    // The field takes the focus: Escape will come back to the text it has
    // now. The whole text is selected, as on a Tab into a field.
    void TakeFocus();
    // The field's control got the focus. Only a move from another control
    // of the window is the field taking it (TakeFocus); the window becoming
    // active again (after a box, or switching programs), a closed popup, and
    // the focus sent back by a failed check leave the text, cursor and
    // selection as they were.
    void FocusIn(bool fromAnotherControl);
    // A failed check sends the focus back: the cursor goes to the first
    // empty digit position. True when the field has not the focus and the
    // front end must give it; the focus that arrives then does not count as
    // the field taking it.
    bool ReturnFocus(bool fieldHasFocus);

    // Cursor placement and selection from the mouse; clamped to the text.
    void SetCursor(int position);
    void SetSelection(int anchor, int cursor);
    void SelectAll();

    // A typed character. False means refused (the caller beeps). The date
    // separator in the day or month group jumps to the next group.
    bool Type(char c);
    void Left(bool extendSelection);
    void Right(bool extendSelection);
    void Home(bool extendSelection);
    void End(bool extendSelection);
    void Backspace();
    void Delete();
    // The selected characters, for the clipboard; Cut also empties their
    // digit positions.
    std::string Copy() const;
    std::string Cut();
    // Lays text over the positions from the cursor on: a separator in the
    // text meets the field's separator; a character that a digit position
    // does not admit leaves it empty.
    void Paste(std::string_view clipboard);
    // Only while the edit mark is set: back to the saved text. False when
    // there was nothing to abandon.
    bool Escape();
    // What an editing key does, `extendSelection` for the arrows, Home and
    // End with Shift. Up and Down do nothing: the spinner moves the date,
    // not these keys. False when the key is not the field's to take (Escape
    // with nothing to abandon), so that the front end passes it on.
    bool Press(MaskKey key, bool extendSelection);

    // True while the edit mark is set and a digit position is empty: leaving
    // the field or pressing Enter then fails the mask check.
    bool FailsMaskCheck() const;
    // Puts the cursor on the first empty digit position.
    void CursorToFirstEmpty();

private:
    static bool IsDigitPosition(int position);
    static int NextDigitPosition(int position);  // kLength when none
    static int PrevDigitPosition(int position);  // -1 when none
    bool HasSelection() const { return anchor_ != cursor_; }
    void MoveCursor(int position, bool extendSelection);
    // Empties the digit positions of the selection; the cursor goes to its
    // start.
    void ClearSelection();

    char separator_;
    std::string text_;
    std::string savedText_;
    int cursor_ = 0;
    int anchor_ = 0;
    bool editMark_ = false;
    bool focusReturning_ = false;  // sent back, until the focus arrives
};

// What a key does in the date field, with Shift and Ctrl as held: the
// arrows, Home and End (Shift extends the selection), Backspace, Delete
// (Shift+Delete cuts), Shift+Insert pastes and Ctrl+Insert copies, Escape,
// Enter, Ctrl+A, Ctrl+C, Ctrl+X and Ctrl+V. False when the key is not the
// field's (Escape with nothing to abandon, a bare Insert, a letter without
// Ctrl), so that the front end passes it on. The one table of the date
// field's keys, for both windows.
bool PressDateKey(DateMask& mask, DateKeyTarget& target, DateKey key, bool shift, bool control);

}  // namespace celestra
