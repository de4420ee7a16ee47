// The desktop of a Windows session: MessageBoxW, MessageBeep and
// GetOpenFileNameW, the texts UTF-8 on this side.
#pragma once

#include <windows.h>
// windows.h renames MessageBox to MessageBoxA, which would rename the
// message box interface of the run in these files alone.
#undef MessageBox

#include <string>

#include "ui/desktop.h"

namespace celestra {

class Win32Desktop final : public Desktop {
public:
    explicit Win32Desktop(std::string title) : title_(std::move(title)) {}

    // The window the boxes and dialogs belong to.
    void SetWindow(HWND window) { window_ = window; }

    void Show(const std::string& text) override;
    void ShowError(const std::string& text) override;
    std::optional<std::string> ChooseFile(OpenDialog& dialog) override;
    void Beep() override;

private:
    std::string title_;
    HWND window_ = nullptr;
};

}  // namespace celestra
