#include <windows.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "platform/atomic_file_internal.h"
#include "platform/interrupt_cleanup.h"
#include "platform/random_access_file.h"
#include "platform/wide_text.h"

namespace celestra::atomic_file_internal {
namespace {

constexpr int kReplaceAttempts = 5;
constexpr DWORD kReplaceRetryMilliseconds = 50;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~ScopedHandle() { Close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // 0, or the platform error of the close.
    int Close() {
        if (!valid()) return 0;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed ? 0 : EIO;
    }

private:
    HANDLE handle_;
};

bool Busy(DWORD why) {
    return why == ERROR_ACCESS_DENIED || why == ERROR_SHARING_VIOLATION || why == ERROR_LOCK_VIOLATION;
}

int WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return ErrnoOfWindowsError(GetLastError());
        bytes.remove_prefix(written);
    }
    return 0;
}

// Opens the temporary file for this process alone, hidden. One left by a
// killed run is taken over and emptied; one that another process is
// writing (a run on another comet file of the same folder writes the same
// backup) is waited for, since it is open without write sharing.
HANDLE OpenTemporary(const std::string& temp, const std::wstring& wideTemp, DWORD& why,
                     std::optional<PendingTemporaryFile>& pending) {
    const auto deadline = std::chrono::steady_clock::now() + kTemporaryWait;
    for (;;) {
        {
            // A file this attempt makes is registered before a console event
            // may act: none is left behind, and none of another's removed.
            const HeldInterrupts held;
            // FILE_SHARE_DELETE lets an interrupted run remove it while open.
            const HANDLE handle = CreateFileW(wideTemp.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
            if (handle != INVALID_HANDLE_VALUE) {
                pending.emplace(temp);
                return handle;
            }
            why = GetLastError();
            if (why != ERROR_SHARING_VIOLATION) return handle;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            why = ERROR_BUSY;
            return INVALID_HANDLE_VALUE;
        }
        std::this_thread::sleep_for(kTemporaryRetryInterval);
    }
}

// Gives the temporary file the target's access control list (its DACL),
// as the rename would otherwise give it the folder's: 0, or the Windows
// error. The owner stays this user's, as for any file this user writes.
DWORD CopyAccessControl(const std::wstring& target, const std::wstring& temp) {
    DWORD size = 0;
    GetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    if (size == 0) return GetLastError();
    std::unique_ptr<char[]> descriptor(new char[size]);
    if (!GetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, descriptor.get(), size, &size) ||
        !SetFileSecurityW(temp.c_str(), DACL_SECURITY_INFORMATION, descriptor.get())) {
        return GetLastError();
    }
    return 0;
}

// `attributes`: the target's, which the replacement takes (hidden, archive
// and the like); INVALID_FILE_ATTRIBUTES for a new file.
Attempt ReplaceThroughTemporary(const std::string& target, const FileContent& content, DWORD attributes,
                                const FileIdentity* expected) {
    const std::string temp = TemporaryPathFor(target);
    const std::wstring wideTemp = WidePath(temp), wideTarget = WidePath(target);
    DWORD why = 0;
    std::optional<PendingTemporaryFile> pending;  // ours once made: an interrupt removes it
    ScopedHandle file(OpenTemporary(temp, wideTemp, why, pending));
    if (!file.valid()) {
        if (why == ERROR_BUSY) return {Failed(Stage::kBusy, EBUSY)};
        return {Failed(Stage::kCreate, ErrnoOfWindowsError(why)), why == ERROR_ACCESS_DENIED};
    }
    int error = WriteGathered(content, [&](std::string_view bytes) { return WriteAll(file.get(), bytes); });
    if (error == 0 && !FlushFileBuffers(file.get())) error = ErrnoOfWindowsError(GetLastError());
    // Windows renames no file that is open without write sharing. Between
    // this close and the rename another process could take the file over;
    // only one writing the same backup from another comet file of the same
    // folder at that very moment would.
    if (const int closeError = file.Close(); error == 0) error = closeError;
    const auto abandon = [&](ReplaceOutcome outcome) {
        DeleteFileW(wideTemp.c_str());
        return Attempt{outcome};
    };
    if (error != 0) return abandon(Failed(Stage::kWrite, error));
    if (!StillAsExpected(target, expected)) return abandon(Changed());
    const bool targetExists = attributes != INVALID_FILE_ATTRIBUTES;
    // Access that cannot be kept sends the file to the in-place write.
    if (targetExists && CopyAccessControl(wideTarget, wideTemp) != 0) {
        DeleteFileW(wideTemp.c_str());
        return {Failed(Stage::kCreate, EACCES), true};
    }
    SetFileAttributesW(wideTemp.c_str(), targetExists ? attributes : FILE_ATTRIBUTE_NORMAL);
    // Another program (a virus scanner, a sync client) may hold the target
    // for a moment. A rename, not ReplaceFile: that moves the old file out
    // of the way first, so that for a moment (or after a crash) no file has
    // the name.
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(wideTemp.c_str(), wideTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return {};
        }
        why = GetLastError();
        if (!Busy(why) || attempt == kReplaceAttempts) return abandon(Failed(Stage::kCreate, ErrnoOfWindowsError(why)));
        Sleep(kReplaceRetryMilliseconds);
    }
}

// A name that is a link (a reparse point) or one of several names of its
// file.
bool IsLinkName(const std::string& path, DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return true;
    FileIdentity identity;
    return NameIdentityOf(path, identity) == 0 && identity.linkCount > 1;
}

}  // namespace

ReplaceOutcome Replace(const std::string& target, const FileContent& content, const FileIdentity* expected,
                       bool asName) {
    const std::wstring wideTarget = WidePath(target);
    const DWORD attributes = GetFileAttributesW(wideTarget.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Failed(Stage::kCreate, EISDIR);
    if (!StillAsExpected(target, expected)) return Changed();
    if (asName && exists && IsLinkName(target, attributes)) {
        // Replaced as a name: the rename takes the link's place.
        const Attempt attempt = ReplaceThroughTemporary(target, content, INVALID_FILE_ATTRIBUTES, expected);
        if (attempt.outcome.stage == Stage::kCreate && attempt.outcome.platformError == EACCES) {
            return {Stage::kLinkKept, EACCES};
        }
        return attempt.outcome;
    }
    FileIdentity identity;
    if (exists && IdentityOf(target, identity) == 0 && !identity.regular) return WriteSpecialFile(target, content);
    if (!exists) return ReplaceThroughTemporary(target, content, INVALID_FILE_ATTRIBUTES, expected).outcome;

    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return Failed(Stage::kCreate, EACCES);
    ScopedHandle writable(CreateFileW(wideTarget.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    // A program holding the file without sharing is waited for at the rename.
    if (!writable.valid() && GetLastError() == ERROR_ACCESS_DENIED) return Failed(Stage::kCreate, EACCES);
    const bool inPlacePossible = writable.valid();
    writable.Close();  // our own handle would stop the rename
    if (inPlacePossible && identity.linkCount > 1) return WriteInPlace(target, content, expected);
    const Attempt attempt = ReplaceThroughTemporary(target, content, attributes, expected);
    if (!attempt.folderRefused || !inPlacePossible) return attempt.outcome;
    return WriteInPlace(target, content, expected);
}

}  // namespace celestra::atomic_file_internal
