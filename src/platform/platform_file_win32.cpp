#include <io.h>
#include <windows.h>

#include <cerrno>
#include <string>

#include "platform/platform_file.h"
#include "platform/platform_file_internal.h"
#include "platform/random_access_file.h"
#include "platform/wide_text.h"

namespace celestra {

using platform_file_internal::kStreamBufferBytes;
using platform_file_internal::LastError;

namespace {

int IdentityOfHandle(HANDLE handle, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return EIO;
    identity.volume = info.dwVolumeSerialNumber;
    identity.fileNumber = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.sizeBytes = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    identity.modifiedTicks = static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                                       info.ftLastWriteTime.dwLowDateTime);
    identity.linkCount = info.nNumberOfLinks;
    identity.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && GetFileType(handle) == FILE_TYPE_DISK;
    return 0;
}

// The identity of the file at `path`, or of a link there itself.
int IdentityOfPath(const std::string& path, bool followLinks, FileIdentity& identity) {
    // Opened for no access at all: a file another program holds is still seen.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE handle = CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    const int error = IdentityOfHandle(handle, identity);
    CloseHandle(handle);
    return error;
}

}  // namespace

int IdentityOf(const std::string& path, FileIdentity& identity) { return IdentityOfPath(path, true, identity); }

int NameIdentityOf(const std::string& path, FileIdentity& identity) { return IdentityOfPath(path, false, identity); }

int IdentityOfOpenFile(std::intptr_t handle, FileIdentity& identity) {
    return IdentityOfHandle(reinterpret_cast<HANDLE>(handle), identity);
}

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

std::FILE* OpenStream(const std::string& path, const char* mode) {
    // The mode is ASCII: each byte is its own wide character.
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(WidePath(path).c_str(), wideMode.c_str());
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

int InputFile::Open(const std::string& path) {
    Close();
    errno = 0;
    file_ = platform_file_internal::OpenStream(path, "rb");
    if (file_ == nullptr) return LastError();
    std::setvbuf(file_, nullptr, _IOFBF, kStreamBufferBytes);
    return 0;
}

int InputFile::Identity(FileIdentity& identity) const {
    return IdentityOfOpenFile(_get_osfhandle(_fileno(file_)), identity);
}

}  // namespace celestra
