#include "ui/date_mask.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace celestra {
namespace {

// The front end's side of the keys: its clipboard, and the Enters pressed.
struct RecordingTarget final : DateKeyTarget {
    std::string clipboard;
    int enters = 0;
    std::string ClipboardText() override { return clipboard; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
    void Enter() override { ++enters; }
};

// Keys of an edit script, pressed through the key table as the front ends
// press them: digits and other characters are typed; the letters below
// stand for the other keys.
//   < > Left/Right   { } Shift+Left/Right   H E Home/End   B Backspace
//   D Delete   X Ctrl+X   A Ctrl+A   ! Escape   ^ v Up/Down
struct Script {
    int refused = 0;
    std::string clipboard;
};

Script Play(DateMask& mask, const std::string& keys) {
    Script result;
    RecordingTarget target;
    const auto press = [&](DateKey key, bool shift, bool control) { PressDateKey(mask, target, key, shift, control); };
    for (char key : keys) {
        switch (key) {
            case '<': press(DateKey::kLeft, false, false); break;
            case '>': press(DateKey::kRight, false, false); break;
            case '{': press(DateKey::kLeft, true, false); break;
            case '}': press(DateKey::kRight, true, false); break;
            case 'H': press(DateKey::kHome, false, false); break;
            case 'E': press(DateKey::kEnd, false, false); break;
            case 'B': press(DateKey::kBackspace, false, false); break;
            case 'D': press(DateKey::kDelete, false, false); break;
            case '^': press(DateKey::kUp, false, false); break;
            case 'v': press(DateKey::kDown, false, false); break;
            case 'X': press(DateKey::kX, false, true); break;
            case 'A': press(DateKey::kA, false, true); break;
            case '!': press(DateKey::kEscape, false, false); break;
            default:
                if (!mask.Type(key)) ++result.refused;
        }
    }
    result.clipboard = target.clipboard;
    return result;
}

struct Row {
    const char* start;  // written by the program; cursor at 0
    const char* keys;
    const char* text;  // as the program reads it
    int cursor;
    int refused;
    bool mark;
    const char* reason;
};

TEST(DateMask, EditsByTable) {
    const Row rows[] = {
        {"08/12/2026", "15012006", "15/01/2006", 10, 0, true, "overwrite, stepping over separators"},
        {"08/12/2026", "1", "18/12/2026", 1, 0, true, "one digit replaced"},
        {"08/12/2026", ">^v^", "08/12/2026", 1, 0, false, "Up and Down leave the date to the spinner"},
        {"08/12/2026", "a+- x", "08/12/2026", 0, 5, false, "letters, signs and blanks refused"},
        {"08/12/2026", "/", "08/12/2026", 3, 0, false, "separator in the day group: to the month"},
        {"08/12/2026", "5/", "58/12/2026", 3, 0, true, ""},
        {"08/12/2026", ">>>/", "08/12/2026", 6, 0, false, "separator in the month group: to the year"},
        {"08/12/2026", ">>>>>/", "08/12/2026", 7, 1, false, "separator in the year group: refused"},
        {"08/12/2026", "E1", "08/12/2026", 10, 1, false, "no digit position after the end"},
        {"08/12/2026", ">>", "08/12/2026", 3, 0, false, "Right steps over the separator"},
        {"08/12/2026", "E<<<<<", "08/12/2026", 4, 0, false, "Left steps over it too"},
        {"08/12/2026", "EH", "08/12/2026", 0, 0, false, "Home and End"},
        {"08/12/2026", ">>>B", "08/ 2/2026", 3, 0, true, "Backspace empties the digit before, over the separator"},
        {"08/12/2026", "HB", "08/12/2026", 0, 0, false, "nothing before the first digit"},
        {"08/12/2026", ">>D", "08/ 2/2026", 3, 0, true, "Delete empties the digit at the cursor"},
        {"08/12/2026", ">}}}}D", "0 /  / 026", 1, 0, true, "Delete empties the selection; separators stay"},
        {"08/12/2026", "AD", "  /  /    ", 0, 0, true, "everything"},
        {"08/12/2026", "A2", "2 /  /    ", 1, 0, true, "typing over a selection empties it first"},
        {"08/12/2026", "A/", "08/12/2026", 3, 0, false, "separator with the whole text selected"},
        {"08/12/2026", "99!", "08/12/2026", 0, 0, false, "Escape restores the written text"},
        {"08/12/2026", "!", "08/12/2026", 0, 0, false, "Escape without changes does nothing"},
        {"08/12/2026", ">}}X", "0 / 2/2026", 1, 0, true, "Cut empties what it takes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.keys) + ": " + row.reason);
        DateMask mask('/');
        mask.SetProgramText(row.start);
        const Script script = Play(mask, row.keys);
        EXPECT_EQ(mask.Text(), row.text);
        EXPECT_EQ(mask.Cursor(), row.cursor);
        EXPECT_EQ(script.refused, row.refused);
        EXPECT_EQ(mask.EditMark(), row.mark);
    }
}

TEST(DateMask, ShowsBlanksAsUnderscoresAndKeepsItsSeparator) {
    DateMask mask('.');
    EXPECT_EQ(mask.Text(), "  .  .    ") << "all digit positions empty at first";
    EXPECT_EQ(mask.DisplayText(), "__.__.____");
    EXPECT_TRUE(mask.Type('.')) << "its own separator jumps";
    EXPECT_FALSE(mask.Type('/')) << "another one is refused";
    mask.SetProgramText("21.03.2005");
    EXPECT_EQ(mask.DisplayText(), "21.03.2005");
}

// The keys whose meaning hangs on Shift or Ctrl, from "08/12/2026" with
// the clipboard holding "01/01/2000".
TEST(PressDateKey, TakesEachKeyWithItsModifiers) {
    struct KeyRow {
        bool selectAll;
        DateKey key;
        bool shift, control;
        bool taken;
        const char* text;
        const char* clipboard;
        const char* reason;
    };
    const KeyRow rows[] = {
        {true, DateKey::kDelete, true, false, true, "  /  /    ", "08/12/2026", "Shift+Delete cuts"},
        {true, DateKey::kDelete, false, false, true, "  /  /    ", "01/01/2000", "Delete empties, the clipboard kept"},
        {true, DateKey::kInsert, false, true, true, "08/12/2026", "08/12/2026", "Ctrl+Insert copies"},
        {true, DateKey::kInsert, true, false, true, "01/01/2000", "01/01/2000", "Shift+Insert pastes"},
        {true, DateKey::kInsert, false, false, false, "08/12/2026", "01/01/2000", "a bare Insert is not the field's"},
        {true, DateKey::kC, false, true, true, "08/12/2026", "08/12/2026", "Ctrl+C copies"},
        {false, DateKey::kC, false, true, true, "08/12/2026", "01/01/2000", "Ctrl+C with nothing selected"},
        {true, DateKey::kX, false, true, true, "  /  /    ", "08/12/2026", "Ctrl+X cuts"},
        {true, DateKey::kV, false, true, true, "01/01/2000", "01/01/2000", "Ctrl+V pastes"},
        {true, DateKey::kC, false, false, false, "08/12/2026", "01/01/2000", "C without Ctrl is a letter to type"},
        {false, DateKey::kEscape, false, false, false, "08/12/2026", "01/01/2000", "Escape with nothing to abandon"},
    };
    for (const KeyRow& row : rows) {
        DateMask mask('/');
        mask.SetProgramText("08/12/2026");
        if (row.selectAll) mask.SelectAll();
        RecordingTarget target;
        target.clipboard = "01/01/2000";
        EXPECT_EQ(PressDateKey(mask, target, row.key, row.shift, row.control), row.taken) << row.reason;
        EXPECT_EQ(mask.Text(), row.text) << row.reason;
        EXPECT_EQ(target.clipboard, row.clipboard) << row.reason;
        EXPECT_EQ(target.enters, 0) << row.reason;
    }
    DateMask mask('/');
    RecordingTarget target;
    EXPECT_TRUE(PressDateKey(mask, target, DateKey::kEnter, false, false));
    EXPECT_EQ(target.enters, 1);
}

TEST(DateMask, PastesOverThePositions) {
    const struct {
        int cursor;
        const char* clipboard;
        const char* text;
        const char* reason;
    } rows[] = {
        {0, "21/03/2005", "21/03/2005", "a whole date"},
        {0, "21032005", "21/03/2005", "digits flow past the separators"},
        {3, "07", "08/07/2026", "from the cursor on"},
        {0, "2x/03/2005", "2 /03/2005", "a refused character leaves its position empty"},
        {6, "2027999", "08/12/2027", "stops at the end"},
        {0, "", "08/12/2026", "nothing"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        DateMask mask('/');
        mask.SetProgramText("08/12/2026");
        mask.SetCursor(row.cursor);
        mask.Paste(row.clipboard);
        EXPECT_EQ(mask.Text(), row.text);
        EXPECT_TRUE(mask.EditMark());
    }
}

TEST(DateMask, CopiesTheSelectionAsTheProgramReadsIt) {
    DateMask mask('/');
    mask.SetProgramText("08/12/2026");
    mask.SetSelection(0, 5);
    EXPECT_EQ(mask.Copy(), "08/12");
    mask.Delete();
    mask.SetSelection(0, 3);
    EXPECT_EQ(mask.Copy(), "  /");
    EXPECT_TRUE(mask.EditMark());
}

TEST(DateMask, FailsTheMaskCheckOnlyWhileEditedWithAGap) {
    DateMask mask('/');
    EXPECT_FALSE(mask.FailsMaskCheck()) << "empty, but not edited";
    mask.SetProgramText("08/12/2026");
    mask.SetCursor(7);
    mask.Backspace();  // the year's first digit
    EXPECT_TRUE(mask.FailsMaskCheck());
    mask.Home(false);
    mask.CursorToFirstEmpty();
    EXPECT_EQ(mask.Cursor(), 6);
    mask.Type('2');
    EXPECT_FALSE(mask.FailsMaskCheck()) << "no gap left";
    EXPECT_EQ(mask.Text(), "08/12/2026");
}

TEST(DateMask, EscapeGoesBackToTheTextOfTheLastFocus) {
    DateMask mask('/');
    mask.SetProgramText("08/12/2026");
    mask.SetCursor(0);
    mask.Type('1');  // 18/12/2026, the mark set
    mask.TakeFocus();
    mask.SetCursor(0);
    mask.Type('2');
    EXPECT_TRUE(mask.Escape());
    EXPECT_EQ(mask.Text(), "18/12/2026") << "the text it had when it took the focus";
    EXPECT_FALSE(mask.EditMark());
}

// A front end shows the selection from its anchor to the cursor, whichever
// way Shift extended it.
TEST(DateMask, AnchorsTheSelectionWhereItWasExtendedFrom) {
    DateMask mask('/');
    mask.SetProgramText("08/12/2026");
    mask.SetCursor(5);
    mask.Left(true);
    EXPECT_EQ(mask.Anchor(), 5);
    EXPECT_EQ(mask.Cursor(), 4);
    mask.SetCursor(3);
    mask.Right(true);
    EXPECT_EQ(mask.Anchor(), 3);
    EXPECT_EQ(mask.Cursor(), 4);
    mask.Right(false);
    EXPECT_EQ(mask.Anchor(), mask.Cursor()) << "nothing selected";
}

// Only a move from another control is the field taking the focus; the
// window's return and the focus sent back by a failed check leave the
// cursor where it was, and Escape on the text of the last real taking.
TEST(DateMask, TakesTheFocusOnlyFromAnotherControl) {
    DateMask mask('/');
    mask.SetProgramText("08/12/2026");
    mask.FocusIn(true);
    EXPECT_EQ(mask.Anchor(), 0);
    EXPECT_EQ(mask.Cursor(), DateMask::kLength) << "all selected";
    mask.SetCursor(4);
    mask.Backspace();     // the month's first digit
    mask.FocusIn(false);  // the window is active again
    EXPECT_EQ(mask.Cursor(), 3);
    EXPECT_EQ(mask.Anchor(), 3);

    mask.Home(false);
    EXPECT_TRUE(mask.ReturnFocus(false)) << "the front end must give the focus";
    EXPECT_EQ(mask.Cursor(), 3) << "on the first empty digit";
    EXPECT_EQ(mask.Anchor(), 3);
    mask.FocusIn(true);  // the focus arrives from the control it had left for
    EXPECT_EQ(mask.Cursor(), 3);
    EXPECT_EQ(mask.Anchor(), 3);

    mask.Home(false);
    EXPECT_FALSE(mask.ReturnFocus(true)) << "it has the focus already";
    EXPECT_EQ(mask.Cursor(), 3);
    mask.FocusIn(true);  // a later Tab into the field counts again
    EXPECT_EQ(mask.Anchor(), 0);
    EXPECT_EQ(mask.Cursor(), DateMask::kLength);
    mask.SetCursor(0);
    mask.Type('1');
    EXPECT_TRUE(mask.Escape());
    EXPECT_EQ(mask.Text(), "08/ 2/2026") << "the text it had when it last took the focus";
}

}  // namespace
}  // namespace celestra
