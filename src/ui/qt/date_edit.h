// The date field: a line edit that shows a DateMask and forwards every key,
// mouse placement and clipboard action to it.
#pragma once

#include <QLineEdit>
#include <string>

#include "ui/date_mask.h"

namespace celestra {

class Desktop;

class DateEdit : public QLineEdit, private DateKeyTarget {
    Q_OBJECT

public:
    DateEdit(QWidget* parent, Desktop& desktop, char separator);

    // The ten characters the program reads.
    const std::string& DateText() const { return mask_.Text(); }
    const DateMask& Mask() const { return mask_; }
    // The program writes a date.
    void SetProgramText(const std::string& text);
    // Focus back after a failed check, the cursor on the first empty digit;
    // this does not count as the field taking the focus.
    void ReturnFocus();

signals:
    void EnterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;
    void Enter() override { emit EnterPressed(); }

    // Shows the mask's text, cursor and selection.
    void Render();
    // Takes the cursor and selection the mouse made.
    void TakeMouseSelection();

    DateMask mask_;
    Desktop& desktop_;
};

}  // namespace celestra
