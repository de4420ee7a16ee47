#include "ui/date_mask.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace celestra {
namespace {

// Keys of an edit script: digits and other characters are typed; the
// letters below stand for the other keys.
//   < > Left/Right   { } Shift+Left/Right   H E Home/End   B Backspace
//   D Delete   X Cut   A select all   ! Escape
struct Script {
    int refused = 0;
    std::string clipboard;
};

Script Play(DateMask& mask, const std::string& keys) {
    Script result;
    for (char key : keys) {
        switch (key) {
            // The editing keys as the front ends send them.
            case '<': mask.Press(MaskKey::kLeft, false); break;
            case '>': mask.Press(MaskKey::kRight, false); break;
            case '{': mask.Press(MaskKey::kLeft, true); break;
            case '}': mask.Press(MaskKey::kRight, true); break;
            case 'H': mask.Press(MaskKey::kHome, false); break;
            case 'E': mask.Press(MaskKey::kEnd, false); break;
            case 'B': mask.Press(MaskKey::kBackspace, false); break;
            case 'D': mask.Press(MaskKey::kDelete, false); break;
            case '^': mask.Press(MaskKey::kUp, false); break;
            case 'v': mask.Press(MaskKey::kDown, false); break;
            case 'X': result.clipboard = mask.Cut(); break;
            case 'A': mask.SelectAll(); break;
            case '!': mask.Press(MaskKey::kEscape, false); break;
            default:
                if (!mask.Type(key)) ++result.refused;
        }
    }
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
