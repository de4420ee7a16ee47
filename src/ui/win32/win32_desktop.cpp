#include "ui/win32/win32_desktop.h"

#include <commdlg.h>

#include <vector>

namespace celestra {

void Win32Desktop::Show(const std::string& text) {
    ::MessageBoxA(window_, text.c_str(), title_.c_str(), MB_OK | MB_TASKMODAL);
}

void Win32Desktop::ShowError(const std::string& text) {
    ::MessageBoxA(window_, text.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

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
