#include "ui/win32/win32_desktop.h"

#include <commdlg.h>

#include <vector>

#include "platform/wide_text.h"

namespace celestra {
namespace {

// MessageBoxW centres a box over its owner; the boxes stand in the middle
// of the screen instead, wherever the window was moved. The hook sees the
// box as it is activated, already sized, and goes at once.
thread_local HHOOK centringHook = nullptr;

LRESULT CALLBACK CentreBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        RECT frame{}, work{};
        GetWindowRect(box, &frame);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
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
    centringHook = SetWindowsHookExW(WH_CBT, &CentreBox, nullptr, GetCurrentThreadId());
    // The texts are UTF-8 (a path in any script); the box takes UTF-16.
    ::MessageBoxW(owner, WideText(text).c_str(), WideText(title).c_str(), style | MB_OK | MB_TASKMODAL);
    if (centringHook != nullptr) {  // no box was activated
        UnhookWindowsHookEx(centringHook);
        centringHook = nullptr;
    }
}

}  // namespace

void Win32Desktop::Show(const std::string& text) { ShowCentredBox(window_, text, title_, 0); }

void Win32Desktop::ShowError(const std::string& text) { ShowCentredBox(window_, text, title_, MB_ICONSTOP); }

std::optional<std::string> Win32Desktop::ChooseFile(OpenDialog& dialog) {
    // "Shown text\0patterns\0" for each type, then one more NUL; the first
    // type selected.
    const std::wstring filter = WideText(Win32FilterList(dialog));
    const std::wstring defaultExtension = WideText(dialog.defaultExtension);
    // The dialog opens on its own last file, whatever the field holds. The
    // wide dialog, so that a name outside the ANSI code page comes back as
    // it is rather than with question marks.
    std::vector<wchar_t> file(32768, L'\0');
    WideText(dialog.fileName).copy(file.data(), file.size() - 1);

    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = window_;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrDefExt = defaultExtension.c_str();
    // A name that does not exist yet is accepted (the run then reports it);
    // no read-only box; the dialog may be resized.
    request.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&request)) return std::nullopt;
    dialog.fileName = Utf8Text(file.data());
    return dialog.fileName;
}

void Win32Desktop::Beep() { MessageBeep(MB_OK); }

}  // namespace celestra
