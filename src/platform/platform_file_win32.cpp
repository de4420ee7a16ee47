#include <windows.h>

#include <cerrno>
#include <string>

#include "platform/os_file.h"
#include "platform/platform_file.h"
#include "platform/platform_file_internal.h"
#include "platform/wide_text.h"

namespace celestra {

using platform_file_internal::LastError;

bool FolderWritable(const std::string& folder) {
    const std::string probe = folder + "celestra-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const HANDLE file = CreateFileW(WidePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

namespace platform_file_internal {

std::size_t RootLength(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.size() > 2 && IsFolderSeparator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && IsFolderSeparator(path[0]) && IsFolderSeparator(path[1])) {
        std::size_t separators = 2, at = 2;
        while (at < path.size() && separators < 4) separators += IsFolderSeparator(path[at++]) ? 1u : 0u;
        return at;
    }
    return !path.empty() && IsFolderSeparator(path[0]) ? 1 : 0;
}

int MakeFolder(const std::string& folder) {
    if (CreateDirectoryW(WidePath(folder).c_str(), nullptr)) return 0;
    const DWORD why = GetLastError();
    errno = why == ERROR_ALREADY_EXISTS ? EEXIST : ErrnoOfWindowsError(why);
    return -1;
}

bool LookAt(const std::string& path, bool& isFolder) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return false;
    isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

}  // namespace platform_file_internal

std::string ExecutablePath(const char* argv0) {
    // A program folder may be deeper than 260 characters: the room doubles
    // until the whole name fits (a name cut short fills the room exactly).
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD room = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), room);
        if (length == 0) break;
        if (length < room) return Utf8Text(std::wstring_view(path.data(), length));
        if (path.size() >= 32768) break;  // the longest path Windows has
        path.resize(path.size() * 2);
    }
    return argv0 != nullptr ? argv0 : "";
}

bool IsFolderSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace celestra
