#include "ui/win32/win32_clipboard.h"

#include "platform/wide_text.h"

namespace celestra {

bool PutOnClipboard(HWND owner, std::string_view text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    const std::wstring wide = WideText(text);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    wchar_t* units = memory != nullptr ? static_cast<wchar_t*>(GlobalLock(memory)) : nullptr;
    bool taken = false;
    if (units != nullptr) {
        wide.copy(units, wide.size());
        units[wide.size()] = L'\0';
        GlobalUnlock(memory);
        taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;  // the clipboard then owns the memory
    }
    if (!taken && memory != nullptr) GlobalFree(memory);
    CloseClipboard();
    return taken;
}

std::string ClipboardText(HWND owner) {
    std::string text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Utf8Text(units);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

}  // namespace celestra
