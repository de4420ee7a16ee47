#include "ui/qt/date_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <optional>

#include "ui/desktop.h"
#include "ui/qt/text_bytes.h"

namespace celestra {
namespace {

std::optional<DateKey> DateKeyOf(int key) {
    switch (key) {
        case Qt::Key_Left: return DateKey::kLeft;
        case Qt::Key_Right: return DateKey::kRight;
        case Qt::Key_Home: return DateKey::kHome;
        case Qt::Key_End: return DateKey::kEnd;
        case Qt::Key_Up: return DateKey::kUp;
        case Qt::Key_Down: return DateKey::kDown;
        case Qt::Key_Backspace: return DateKey::kBackspace;
        case Qt::Key_Delete: return DateKey::kDelete;
        case Qt::Key_Insert: return DateKey::kInsert;
        case Qt::Key_Escape: return DateKey::kEscape;
        case Qt::Key_Return:
        case Qt::Key_Enter: return DateKey::kEnter;
        case Qt::Key_A: return DateKey::kA;
        case Qt::Key_C: return DateKey::kC;
        case Qt::Key_V: return DateKey::kV;
        case Qt::Key_X: return DateKey::kX;
        default: return std::nullopt;
    }
}

}  // namespace

DateEdit::DateEdit(QWidget* parent, Desktop& desktop, char separator)
    : QLineEdit(parent), mask_(separator), desktop_(desktop) {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
    setDragEnabled(false);
    setMaxLength(DateMask::kLength);
    Render();
}

void DateEdit::SetProgramText(const std::string& text) {
    mask_.SetProgramText(text);
    Render();
}

void DateEdit::ReturnFocus() {
    if (mask_.ReturnFocus(hasFocus())) setFocus(Qt::OtherFocusReason);
    Render();
}

void DateEdit::Render() {
    setText(QString::fromLatin1(mask_.DisplayText().c_str()));
    if (mask_.Anchor() == mask_.Cursor()) {
        setCursorPosition(mask_.Cursor());
    } else {
        setSelection(mask_.Anchor(), mask_.Cursor() - mask_.Anchor());
    }
}

void DateEdit::TakeMouseSelection() {
    const int cursor = cursorPosition();
    if (!hasSelectedText()) {
        mask_.SetCursor(cursor);
        return;
    }
    const int start = selectionStart();
    const int end = start + static_cast<int>(selectedText().size());
    mask_.SetSelection(cursor == start ? end : start, cursor);
}

void DateEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const auto key = DateKeyOf(event->key());
    if (key && PressDateKey(mask_, *this, *key, (modifiers & Qt::ShiftModifier) != 0,
                            (modifiers & Qt::ControlModifier) != 0)) {
        event->accept();
        Render();
        return;
    }
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    if (!printable) {
        event->ignore();  // not the field's: Escape with nothing to abandon goes on to the window
        return;
    }
    const bool single = typed.size() == 1 && typed.at(0).unicode() < 128;
    if (!single || !mask_.Type(static_cast<char>(typed.at(0).unicode()))) desktop_.Beep();
    event->accept();
    Render();
}

std::string DateEdit::ClipboardText() { return ToBytes(QGuiApplication::clipboard()->text()); }

void DateEdit::SetClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromLatin1(text.c_str()));
}

void DateEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // The window becoming active again or a popup closing gives the focus
    // back to the control that had it; any other reason moved it here.
    const Qt::FocusReason reason = event->reason();
    const bool windowReturns = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    mask_.FocusIn(!windowReturns);
    Render();
}

void DateEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    TakeMouseSelection();
}

void DateEdit::mouseMoveEvent(QMouseEvent* event) {
    QLineEdit::mouseMoveEvent(event);
    TakeMouseSelection();
}

void DateEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    TakeMouseSelection();
}

void DateEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    TakeMouseSelection();
}

// Text arrives only as keys, one character at a time.
void DateEdit::inputMethodEvent(QInputMethodEvent* event) { event->ignore(); }

// The line edit's own menu would edit the text behind the mask's back.
void DateEdit::contextMenuEvent(QContextMenuEvent* event) { event->ignore(); }

}  // namespace celestra
