#include "ui/win32/win32_desktop.h"

#include <commdlg.h>

#include <vector>

namespace celestra {
namespace {

// MessageBoxA centres a box over its owner; the boxes stand in the middle
// of the screen instead, wherever the window was moved. The hook sees the
// box as it is activated, already sized, and goes at once.
thread_local HHOOK centringHook = nullptr;

LRESULT CALLBACK CentreBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        RECT frame{}, work{};
        GetWindowRect(box, &frame);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        SetWindowPos(box, nullptr, work.left + (work.right - work.left - width) / 2,
                     work.top + (work.bottom - work.top - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const HHOOK hook = centringHook;
        centringHook = nullptr;
        UnhookWindowsHookEx(hook);
        return 0;
    }
    return CallNextHookEx(centringHook, code, wParam, lParam);
}

void ShowCentredBox(HWND owner, const std::string& text, const std::string& title, UINT style) {
    centringHook = SetWindowsHookExA(WH_CBT, &CentreBox, nullptr, GetCurrentThreadId());
    ::MessageBoxA(owner, text.c_str(), title.c_str(), style | MB_OK | MB_TASKMODAL);
    if (centringHook != nullptr) {  // no box was activated
        UnhookWindowsHookEx(centringHook);
        centringHook = nullptr;
    }
}

}  // namespace

void Win32Desktop::Show(const std::string& text) { ShowCentredBox(window_, text, title_, 0); }

void Win32Desktop::ShowError(const std::string& text) { ShowCentredBox(window_, text, title_, MB_ICONSTOP); }

std::optional<std::string> Win32Desktop::ChooseFile(OpenDialog& dialog) {
    // "Type name\0pattern\0\0": one entry.
    std::string filter = dialog.typeName;
    filter += '\0';
    filter += dialog.pattern;
    filter += '\0';
    filter += '\0';
    // The dialog opens on its own last file, whatever the field holds.
    std::vector<char> file(32768, '\0');
    dialog.fileName.copy(file.data(), file.size() - 1);

    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = window_;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrDefExt = dialog.defaultExtension.c_str();
    // A name that does not exist yet is accepted (the run then reports it);
    // no read-only box; the dialog may be resized.
    request.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&request)) return std::nullopt;
    dialog.fileName = file.data();
    return dialog.fileName;
}

void Win32Desktop::Beep() { MessageBeep(MB_OK); }

}  // namespace celestra
