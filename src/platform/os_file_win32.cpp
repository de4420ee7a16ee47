#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/os_file.h"
#include "platform/wide_text.h"

namespace celestra {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLargestPiece = 1u << 30;

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

int LastError() { return ErrnoOfWindowsError(GetLastError()); }

// A sharing refusal is another program holding the file for a moment.
int BusyOrError() {
    const DWORD why = GetLastError();
    return why == ERROR_SHARING_VIOLATION || why == ERROR_LOCK_VIOLATION ? EWOULDBLOCK : ErrnoOfWindowsError(why);
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

// The security identifier in a token's information of this class.
std::unique_ptr<char[]> TokenPart(HANDLE token, TOKEN_INFORMATION_CLASS part) {
    DWORD size = 0;
    GetTokenInformation(token, part, nullptr, 0, &size);
    if (size == 0) return nullptr;
    std::unique_ptr<char[]> bytes(new char[size]);
    if (!GetTokenInformation(token, part, bytes.get(), size, &size)) return nullptr;
    return bytes;
}

// True when this process's user, or the owner it gives its new files (the
// Administrators group for an elevated run), owns the open file; also on a
// volume that keeps no owners (FAT, a memory stick), where anyone may write
// anything.
bool OwnedByThisUser(HANDLE file) {
    DWORD volumeFlags = 0;
    if (GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &volumeFlags, nullptr, 0) &&
        (volumeFlags & FILE_PERSISTENT_ACLS) == 0) {
        return true;
    }
    DWORD size = 0;
    GetKernelObjectSecurity(file, OWNER_SECURITY_INFORMATION, nullptr, 0, &size);
    if (size == 0) return false;
    std::unique_ptr<char[]> descriptor(new char[size]);
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!GetKernelObjectSecurity(file, OWNER_SECURITY_INFORMATION, descriptor.get(), size, &size) ||
        !GetSecurityDescriptorOwner(descriptor.get(), &owner, &defaulted) || owner == nullptr) {
        return false;
    }
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const auto user = TokenPart(token, TokenUser), newOwner = TokenPart(token, TokenOwner);
    CloseHandle(token);
    return (user != nullptr && EqualSid(owner, reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid)) ||
           (newOwner != nullptr && EqualSid(owner, reinterpret_cast<TOKEN_OWNER*>(newOwner.get())->Owner));
}

int IdentityOfHandle(HANDLE handle, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return LastError();
    identity.volume = info.dwVolumeSerialNumber;
    identity.fileNumber = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.sizeBytes = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    identity.modifiedTicks = Ticks(info.ftLastWriteTime);
    // The file index of NTFS counts the reuses of its record in its high
    // bits: a later file never has a deleted one's. (Creation times are no
    // help: Windows hands a deleted file's to a new one of the same name.)
    identity.bornTicks = 0;
    identity.linkCount = info.nNumberOfLinks;
    identity.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    identity.regular = !identity.folder && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
                       GetFileType(handle) == FILE_TYPE_DISK;
    return 0;
}

// The identity of the file at `path`, or of a link there itself.
int IdentityOfPath(const std::string& path, bool followLinks, FileIdentity& identity) {
    // Opened for no access at all: a file another program holds is still seen.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE handle = CreateFileW(WidePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    const int error = IdentityOfHandle(handle, identity);
    CloseHandle(handle);
    return error;
}

int SetAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    basic.FileAttributes = attributes;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) ? 0 : LastError();
}

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
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_FILE_TOO_LARGE: return EFBIG;
        case ERROR_CANT_ACCESS_FILE:
        case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
        default: return EIO;
    }
}

int OsFile::Open(const std::string& path, Mode mode) {
    Close();
    DWORD access = GENERIC_READ | GENERIC_WRITE, share = kShareAll, disposition = OPEN_EXISTING;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    switch (mode) {
        case Mode::kRead: access = GENERIC_READ; break;
        case Mode::kReadWriteNoLink: flags |= FILE_FLAG_OPEN_REPARSE_POINT; break;
        case Mode::kCreateOrEmpty:
            // Not CREATE_ALWAYS, which refuses a hidden file.
            access = GENERIC_WRITE;
            share = FILE_SHARE_READ | FILE_SHARE_WRITE;
            disposition = OPEN_ALWAYS;
            break;
        case Mode::kLock:
            share = 0;
            disposition = OPEN_ALWAYS;
            flags = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE;
            break;
        case Mode::kCreateNew:
            // Shared with no writer and no remover: another run waits.
            share = FILE_SHARE_READ;
            disposition = CREATE_NEW;
            flags = FILE_ATTRIBUTE_HIDDEN;
            break;
    }
    const HANDLE handle = CreateFileW(WidePath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // A lock file another run is closing denies access while it is still there.
        const bool closing = mode == Mode::kLock && GetLastError() == ERROR_ACCESS_DENIED &&
                             GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
        return closing ? EWOULDBLOCK : BusyOrError();
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    FileIdentity identity;
    BY_HANDLE_FILE_INFORMATION info{};
    int error = 0;
    if (mode == Mode::kReadWriteNoLink && (IdentityOfHandle(handle, identity) != 0 || !identity.regular)) error = ELOOP;
    // A read-only file is not written, whatever the system let open.
    if (error == 0 && mode == Mode::kReadWriteNoLink && GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = EACCES;
    }
    if (error == 0 && mode == Mode::kCreateOrEmpty) error = CutTo(0);
    if (error != 0) Close();
    return error;
}

int OsFile::Read(char* buffer, std::size_t size, std::size_t& count) {
    DWORD got = 0;
    const DWORD wanted = size > kLargestPiece ? kLargestPiece : static_cast<DWORD>(size);
    if (!ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr) && GetLastError() != ERROR_BROKEN_PIPE) {
        return LastError();
    }
    count = got;
    return 0;
}

int OsFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD piece = bytes.size() > kLargestPiece ? kLargestPiece : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), bytes.data(), piece, &written, nullptr)) return LastError();
        bytes.remove_prefix(written);
    }
    return 0;
}

int OsFile::ReadAll(std::string& bytes) const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(AsHandle(handle_), &size)) return LastError();
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() + 4096);  // grown meanwhile: read on
        OVERLAPPED at = At(used);
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

int OsFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        OVERLAPPED at = At(offset);
        const DWORD piece = bytes.size() > kLargestPiece ? kLargestPiece : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), bytes.data(), piece, &written, &at)) return LastError();
        bytes.remove_prefix(written);
        offset += written;
    }
    return 0;
}

int OsFile::GrowTo(std::uint64_t sizeBytes) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(AsHandle(handle_), &size)) return LastError();
    return static_cast<std::uint64_t>(size.QuadPart) >= sizeBytes ? 0 : CutTo(sizeBytes);
}

int OsFile::CutTo(std::uint64_t sizeBytes) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(sizeBytes);
    return SetFileInformationByHandle(AsHandle(handle_), FileEndOfFileInfo, &end, sizeof end) ? 0 : LastError();
}

int OsFile::Reserve(std::uint64_t sizeBytes) {
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(sizeBytes);
    if (SetFileInformationByHandle(AsHandle(handle_), FileAllocationInfo, &allocation, sizeof allocation)) return 0;
    const DWORD why = GetLastError();
    return why == ERROR_DISK_FULL || why == ERROR_HANDLE_DISK_FULL || why == ERROR_FILE_TOO_LARGE
               ? ErrnoOfWindowsError(why)
               : 0;  // a file system that reserves nothing
}

int OsFile::Flush() { return FlushFileBuffers(AsHandle(handle_)) ? 0 : LastError(); }

int OsFile::Identity(FileIdentity& identity) const { return IdentityOfHandle(AsHandle(handle_), identity); }

bool OsFile::PrivateToUser() const { return OwnedByThisUser(AsHandle(handle_)); }

int OsFile::TryLock() { return 0; }

int OsFile::Close() {
    if (handle_ == kNoHandle) return 0;
    const bool closed = CloseHandle(AsHandle(handle_)) != 0;
    handle_ = kNoHandle;
    return closed ? 0 : EIO;
}

int IdentityOf(const std::string& path, FileIdentity& identity) { return IdentityOfPath(path, true, identity); }

int NameIdentityOf(const std::string& path, FileIdentity& identity) { return IdentityOfPath(path, false, identity); }

bool FolderWritable(const std::string& folder) {
    const std::string probe = folder + "celestra-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const HANDLE file = CreateFileW(WidePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

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
    return CreateDirectoryW(WidePath(folder).c_str(), nullptr) ? 0 : LastError();
}

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

int RenameFile(const std::string& from, const std::string& to) {
    // Another program (a virus scanner, a sync client) may hold the target
    // for a moment: the caller waits. A rename, not ReplaceFile, which moves
    // the old file out of the way first, so that for a moment (or after a
    // crash) no file has the name.
    if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    return GetLastError() == ERROR_ACCESS_DENIED ? EWOULDBLOCK : BusyOrError();
}

int RemoveFile(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) ? 0 : BusyOrError(); }

void SyncFolder(const std::string&) {}  // MOVEFILE_WRITE_THROUGH has done it

std::string ResolveLinks(const std::string& path) { return path; }  // the system follows them

int CopyFileAttributes(const OsFile& from, const std::string& fromPath, OsFile& to, const std::string& toPath) {
    // The access control list (DACL), as the rename would otherwise give the
    // file the folder's. The owner stays this user's, as for any file this
    // user writes.
    const std::wstring wideFrom = WidePath(fromPath), wideTo = WidePath(toPath);
    DWORD size = 0;
    GetFileSecurityW(wideFrom.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    if (size == 0) return LastError();
    std::unique_ptr<char[]> descriptor(new char[size]);
    if (!GetFileSecurityW(wideFrom.c_str(), DACL_SECURITY_INFORMATION, descriptor.get(), size, &size) ||
        !SetFileSecurityW(wideTo.c_str(), DACL_SECURITY_INFORMATION, descriptor.get())) {
        return LastError();
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(AsHandle(from.NativeHandle()), &info)) return LastError();
    return SetAttributes(AsHandle(to.NativeHandle()), info.dwFileAttributes);
}

int SetNewFileMode(OsFile& file) { return SetAttributes(AsHandle(file.NativeHandle()), FILE_ATTRIBUTE_NORMAL); }

int SetJournalMark(OsFile&, const std::string&) { return 0; }

int ReadJournalMark(const std::string&, std::string& journalPath) {
    journalPath.clear();
    return 0;
}

int RemoveJournalMark(OsFile&) { return 0; }

std::string PrivateStateFolder(bool make) {
    if (std::string folder = FolderUnder(L"LOCALAPPDATA", make); !folder.empty()) return folder;
    return FolderUnder(L"TEMP", make);
}

}  // namespace celestra
