#include <windows.h>

#include "platform/wide_text.h"

namespace celestra {
namespace {

constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;  // room for an 8.3 name, as CreateDirectory wants

bool IsValidUtf8(std::string_view text) {
    return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                               static_cast<int>(text.size()), nullptr, 0) > 0;
}

std::wstring Convert(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

}  // namespace

std::wstring WideText(std::string_view utf8) {
    if (IsValidUtf8(utf8)) return Convert(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
    return Convert(CP_ACP, 0, utf8);
}

std::string Utf8FromAnsi(std::string_view ansi) { return Utf8Text(Convert(CP_ACP, 0, ansi)); }

std::string Utf8Text(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring WidePath(std::string_view utf8Path) {
    std::wstring path = WideText(utf8Path);
    if (path.size() < kClassicPathLimit || path.starts_with(L"\\\\?\\")) return path;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
    const bool driveAbsolute = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    return driveAbsolute ? L"\\\\?\\" + path : path;
}

bool TryAnsiText(std::string_view utf8, std::string& ansi) {
    const std::wstring wide = WideText(utf8);
    if (wide.empty()) {
        ansi.clear();
        return true;
    }
    BOOL lost = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &lost);
    if (lost || length <= 0) return false;
    ansi.assign(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), ansi.data(), length,
                        nullptr, &lost);
    return !lost;
}

}  // namespace celestra
