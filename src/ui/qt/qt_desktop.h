// The desktop of a real session: Qt message boxes and file dialogs.
#pragma once

#include <QPointer>
#include <map>
#include <string>

#include "ui/desktop.h"

class QFileDialog;
class QWidget;

namespace celestra {

// Moves a window so that its frame's centre is the centre of its screen's
// available area (the screen less panels and docks).
void CentreOnScreen(QWidget& window);

class QtDesktop final : public Desktop {
public:
    explicit QtDesktop(std::string title);
    ~QtDesktop() override;

    // The window the boxes and dialogs belong to.
    void SetWindow(QWidget* window) { window_ = window; }

    void Show(const std::string& text) override;
    void ShowError(const std::string& text) override;
    std::optional<std::string> ChooseFile(OpenDialog& dialog) override;
    void Beep() override;

private:
    std::string title_;
    QPointer<QWidget> window_;
    // One file dialog per OpenDialog. The window owns them, as Qt children,
    // and deletes them when it goes; the desktop only finds them again.
    std::map<const OpenDialog*, QPointer<QFileDialog>> fileDialogs_;
};

}  // namespace celestra
