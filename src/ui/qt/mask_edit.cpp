#include "ui/qt/mask_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <optional>

#include "ui/desktop.h"
#include "ui/qt/text_bytes.h"

namespace celestra {
namespace {

std::optional<MaskKey> MaskKeyOf(int key) {
    switch (key) {
        case Qt::Key_Left: return MaskKey::kLeft;
        case Qt::Key_Right: return MaskKey::kRight;
        case Qt::Key_Home: return MaskKey::kHome;
        case Qt::Key_End: return MaskKey::kEnd;
        case Qt::Key_Backspace: return MaskKey::kBackspace;
        case Qt::Key_Delete: return MaskKey::kDelete;
        case Qt::Key_Up: return MaskKey::kUp;
        case Qt::Key_Down: return MaskKey::kDown;
        case Qt::Key_Escape: return MaskKey::kEscape;
        default: return std::nullopt;
    }
}

}  // namespace

TMaskEdit::TMaskEdit(QWidget* parent, Desktop& desktop, char separator)
    : QLineEdit(parent), mask_(separator), desktop_(desktop) {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
    setDragEnabled(false);
    setMaxLength(DateMask::kLength);
    Render();
}

void TMaskEdit::SetProgramText(const std::string& text) {
    mask_.SetProgramText(text);
    Render();
}

void TMaskEdit::ReturnFocus() {
    if (mask_.ReturnFocus(hasFocus())) setFocus(Qt::OtherFocusReason);
    Render();
}

void TMaskEdit::Render() {
    setText(QString::fromLatin1(mask_.DisplayText().c_str()));
    if (mask_.Anchor() == mask_.Cursor()) {
        setCursorPosition(mask_.Cursor());
    } else {
        setSelection(mask_.Anchor(), mask_.Cursor() - mask_.Anchor());
    }
}

void TMaskEdit::TakeMouseSelection() {
    const int cursor = cursorPosition();
    if (!hasSelectedText()) {
        mask_.SetCursor(cursor);
        return;
    }
    const int start = selectionStart();
    const int end = start + static_cast<int>(selectedText().size());
    mask_.SetSelection(cursor == start ? end : start, cursor);
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->matches(QKeySequence::Copy)) {
        clipboard->setText(QString::fromLatin1(mask_.Copy().c_str()));
    } else if (event->matches(QKeySequence::Cut)) {
        clipboard->setText(QString::fromLatin1(mask_.Cut().c_str()));
    } else if (event->matches(QKeySequence::Paste)) {
        mask_.Paste(ToBytes(clipboard->text()));
    } else if (event->matches(QKeySequence::SelectAll)) {
        mask_.SelectAll();
    } else {
        const auto maskKey = MaskKeyOf(event->key());
        if (maskKey) {
            if (!mask_.Press(*maskKey, shift)) {
                event->ignore();
                return;
            }
            event->accept();
            Render();
            return;
        }
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                emit EnterPressed();
                Render();
                return;
            default: {
                const QString typed = event->text();
                const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
                if (!printable) {
                    event->ignore();
                    return;
                }
                const bool single = typed.size() == 1 && typed.at(0).unicode() < 128;
                if (!single || !mask_.Type(static_cast<char>(typed.at(0).unicode()))) desktop_.Beep();
            }
        }
    }
    event->accept();
    Render();
}

void TMaskEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // The window becoming active again or a popup closing gives the focus
    // back to the control that had it; any other reason moved it here.
    const Qt::FocusReason reason = event->reason();
    const bool windowReturns = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    mask_.FocusIn(!windowReturns);
    Render();
}

void TMaskEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    TakeMouseSelection();
}

void TMaskEdit::mouseMoveEvent(QMouseEvent* event) {
    QLineEdit::mouseMoveEvent(event);
    TakeMouseSelection();
}

void TMaskEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    TakeMouseSelection();
}

void TMaskEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    TakeMouseSelection();
}

// Text arrives only as keys, one character at a time.
void TMaskEdit::inputMethodEvent(QInputMethodEvent* event) { event->ignore(); }

// The line edit's own menu would edit the text behind the mask's back.
void TMaskEdit::contextMenuEvent(QContextMenuEvent* event) { event->ignore(); }

}  // namespace celestra
