// The Windows clipboard as text, through its wide form (CF_UNICODETEXT),
// which the system offers other programs in every other form too; UTF-8
// on this side.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace celestra {

// Puts `text` on the clipboard for `owner` (a window, or none). False when
// the clipboard could not be opened or took nothing.
bool PutOnClipboard(HWND owner, std::string_view text);

// The clipboard's text; empty when it holds none or cannot be opened.
std::string ClipboardText(HWND owner);

}  // namespace celestra
