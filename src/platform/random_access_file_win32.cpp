#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "platform/random_access_file.h"
#include "platform/wide_text.h"

namespace celestra {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLargestPiece = 1u << 30;

HANDLE AsHandle(void* handle) { return static_cast<HANDLE>(handle); }

int LastError() { return ErrnoOfWindowsError(GetLastError()); }

// "<base>\Celestra\", made when missing and `make`; empty when there is
// none.
std::string FolderUnder(const wchar_t* variable, bool make) {
    // Asked once for the room the value needs, then for the value; a value
    // that grew in between is taken as missing.
    const DWORD room = GetEnvironmentVariableW(variable, nullptr, 0);
    if (room <= 1) return {};
    std::wstring base(room, L'\0');
    const DWORD length = GetEnvironmentVariableW(variable, base.data(), room);
    if (length == 0 || length >= room) return {};
    std::string folder = Utf8Text(std::wstring_view(base.data(), length));
    if (!IsFolderSeparator(folder.back())) folder += '\\';
    folder += "Celestra";
    if (make ? MakeFolders(folder) != 0 : !FolderExists(folder)) return {};
    return folder + "\\";
}

}  // namespace

int ErrnoOfWindowsError(unsigned long windowsError) {
    switch (windowsError) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT: return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return ENOENT;
        case ERROR_FILE_TOO_LARGE: return EFBIG;
        default: return EIO;
    }
}

RandomAccessFile::~RandomAccessFile() { Close(); }

int RandomAccessFile::OpenExisting(const std::string& path) {
    Close();
    handle_ = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsOpen() ? 0 : LastError();
}

int RandomAccessFile::CreatePrivate(const std::string& path) {
    Close();
    handle_ = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    return IsOpen() ? 0 : LastError();
}

int RandomAccessFile::Identity(FileIdentity& identity) const {
    return IdentityOfOpenFile(reinterpret_cast<std::intptr_t>(handle_), identity);
}

int RandomAccessFile::ReadAll(std::string& bytes) const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(AsHandle(handle_), &size)) return LastError();
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() + 4096);  // grown meanwhile: read on
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(used);
        at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(used) >> 32);
        const DWORD wanted =
            bytes.size() - used > kLargestPiece ? kLargestPiece : static_cast<DWORD>(bytes.size() - used);
        DWORD count = 0;
        if (!ReadFile(AsHandle(handle_), bytes.data() + used, wanted, &count, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return LastError();
        }
        if (count == 0) break;
        used += count;
    }
    bytes.resize(used);
    return 0;
}

int RandomAccessFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD piece = bytes.size() > kLargestPiece ? kLargestPiece : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), bytes.data(), piece, &written, &at)) return LastError();
        bytes.remove_prefix(written);
        offset += written;
    }
    return 0;
}

int RandomAccessFile::Truncate(std::uint64_t sizeBytes) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(sizeBytes);
    return SetFileInformationByHandle(AsHandle(handle_), FileEndOfFileInfo, &end, sizeof end) ? 0 : LastError();
}

int RandomAccessFile::Reserve(std::uint64_t sizeBytes) {
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(sizeBytes);
    if (SetFileInformationByHandle(AsHandle(handle_), FileAllocationInfo, &allocation, sizeof allocation)) return 0;
    const DWORD why = GetLastError();
    return why == ERROR_DISK_FULL || why == ERROR_HANDLE_DISK_FULL || why == ERROR_FILE_TOO_LARGE
               ? ErrnoOfWindowsError(why)
               : 0;  // a file system that reserves nothing
}

int RandomAccessFile::Flush() { return FlushFileBuffers(AsHandle(handle_)) ? 0 : LastError(); }

int RandomAccessFile::Close() {
    if (!IsOpen()) return 0;
    const bool closed = CloseHandle(AsHandle(handle_)) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed ? 0 : EIO;
}

bool RandomAccessFile::IsOpen() const { return AsHandle(handle_) != INVALID_HANDLE_VALUE; }

int RenameReplacing(const std::string& from, const std::string& to) {
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : LastError();
}

int RemoveFile(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) ? 0 : LastError(); }

void SyncFolder(const std::string&) {}  // MOVEFILE_WRITE_THROUGH has done it

std::string PrivateStateFolder() {
    if (std::string folder = FolderUnder(L"LOCALAPPDATA", true); !folder.empty()) return folder;
    return FolderUnder(L"TEMP", true);
}

std::vector<std::string> PrivateStateFolders() {
    std::vector<std::string> folders;
    for (const wchar_t* variable : {L"LOCALAPPDATA", L"TEMP"}) {
        if (std::string folder = FolderUnder(variable, false); !folder.empty()) folders.push_back(folder);
    }
    return folders;
}

}  // namespace celestra
