// win32_probe.exe: what a window of another program shows, read through
// the Win32 API (WM_GETTEXT and the window rectangles), for scripted drives
// under Wine, where an X tool cannot see inside a window. It works on a real
// Windows too.
//
//   win32_probe.exe window CAPTION   the window's client area on the screen,
//                                    then one line per control: id, class,
//                                    place and size in the client area, text
//   win32_probe.exe focus CAPTION    the id of the control with the focus
//   win32_probe.exe boxes            one line per dialog box of the desktop
//                                    (class #32770): its place and size on
//                                    the screen, its caption and texts, and
//                                    after a combo box's text its items in
//                                    brackets (a file dialog's type list:
//                                    "|Texto (*.txt)[Texto (*.txt)|Todo (*)]")
//   win32_probe.exe clip FILE        puts the UTF-8 text of FILE on the
//                                    clipboard, as a user's copy would (a
//                                    name in any script, which neither the
//                                    command line nor xdotool carry safely)
// Texts are printed as UTF-8, read through the wide calls so that a name
// outside the ANSI code page shows as it is. Exit status 1 when the window
// is not there.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/wide_text.h"
#include "ui/win32/win32_clipboard.h"

namespace {

using celestra::Utf8Text;
using celestra::WideText;

std::string Text(HWND window) {
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()));
    return Utf8Text(text.data());
}

// 0 when the file's text is on the clipboard.
int PutFileOnClipboard(const char* file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return 2;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return celestra::PutOnClipboard(nullptr, text) ? 0 : 1;
}

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return Utf8Text(name);
}

BOOL CALLBACK PrintControl(HWND control, LPARAM parentParam) {
    const HWND parent = reinterpret_cast<HWND>(parentParam);
    if (GetParent(control) != parent) return TRUE;
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("%d %s %ld,%ld %ldx%ld %s\n", GetDlgCtrlID(control), ClassOf(control).c_str(), rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top, Text(control).c_str());
    return TRUE;
}

// The items of a combo box that holds texts, "[first|second]".
std::string ComboItems(HWND combo) {
    const LONG style = GetWindowLongW(combo, GWL_STYLE);
    const bool ownerDrawn = (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
    if (ownerDrawn && (style & CBS_HASSTRINGS) == 0) return "";  // items without texts
    std::string items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) continue;
        std::vector<wchar_t> item(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        items += (i == 0 ? "" : "|") + Utf8Text(item.data());
    }
    return "[" + items + "]";
}

BOOL CALLBACK PrintBox(HWND window, LPARAM) {
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
    std::string texts;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string text = Text(child);
        if (!text.empty()) texts += "|" + text;
        if (ClassOf(child) == "ComboBox") texts += ComboItems(child);
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%ld,%ld %ldx%ld %s%s\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                Text(window).c_str(), texts.c_str());
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "boxes") {
        EnumWindows(&PrintBox, 0);
        return 0;
    }
    if (argc < 3) {
        std::fputs("usage: win32_probe.exe window|focus CAPTION, win32_probe.exe boxes, or win32_probe.exe clip FILE\n",
                   stderr);
        return 2;
    }
    if (command == "clip") return PutFileOnClipboard(argv[2]);
    const HWND window = FindWindowA(nullptr, argv[2]);
    if (window == nullptr) return 1;
    if (command == "focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        std::printf("%d\n", info.hwndFocus != nullptr ? GetDlgCtrlID(info.hwndFocus) : 0);
        return 0;
    }
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("window %ld,%ld %ldx%ld %s\n", origin.x, origin.y, client.right, client.bottom, Text(window).c_str());
    EnumChildWindows(window, &PrintControl, reinterpret_cast<LPARAM>(window));
    return 0;
}
