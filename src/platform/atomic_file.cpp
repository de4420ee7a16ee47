#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include "platform/interrupt_cleanup.h"
#include "platform/random_access_file.h"
#include "platform/write_journal.h"

namespace celestra {
namespace {

using Stage = ReplaceOutcome::Stage;

constexpr const char* kTemporarySuffix = ".celestra.tmp";
// How long a temporary file another process is writing is waited for, and
// how often it is tried again.
constexpr std::chrono::seconds kTemporaryWait{30};
constexpr std::chrono::milliseconds kTemporaryRetryInterval{20};

ReplaceOutcome Failed(Stage stage, int error) { return {stage, error != 0 ? error : EIO}; }
ReplaceOutcome Changed() { return {Stage::kChanged, 0}; }

// ".<name>.celestra.tmp" in the folder of `target`.
std::string TemporaryPathFor(const std::string& target) {
    const std::string folder = DirectoryPart(target);
    return folder + "." + target.substr(folder.size()) + kTemporarySuffix;
}

// True when the file is still in the state the caller saw, or the caller
// saw none.
bool StillAsExpected(const std::string& target, const FileIdentity* expected) {
    if (expected == nullptr) return true;
    FileIdentity now;
    return IdentityOf(target, now) == 0 && now.SameStateAs(*expected);
}

// A temporary file that could not be made, or not renamed, because of the
// folder rather than the disk: the file itself may still be written in place.
struct Attempt {
    ReplaceOutcome outcome;
    bool folderRefused = false;
};

// Content is gathered into pieces of this size for writing.
constexpr std::size_t kGatherBytes = 1 << 18;

// Hands the content to `write` (int(std::string_view): 0, or an error
// number) in pieces of at most kGatherBytes, short pieces gathered into one
// buffer; a lone run of bytes goes as it is. 0, or the first error.
template <typename Write>
int WriteGathered(const FileContent& content, Write write) {
    if (content.pieces.size() == 1 && content.after.empty()) return write(content.pieces.front());
    const std::unique_ptr<char[]> buffer(new char[kGatherBytes]);
    std::size_t used = 0;
    const auto put = [&](std::string_view bytes) {
        while (!bytes.empty()) {
            if (used == kGatherBytes) {
                if (const int error = write(std::string_view(buffer.get(), used)); error != 0) return error;
                used = 0;
            }
            const std::size_t count = std::min(bytes.size(), kGatherBytes - used);
            std::memcpy(buffer.get() + used, bytes.data(), count);
            used += count;
            bytes.remove_prefix(count);
        }
        return 0;
    };
    for (const std::string_view piece : content.pieces) {
        if (const int error = put(piece); error != 0) return error;
        if (const int error = put(content.after); error != 0) return error;
    }
    return used > 0 ? write(std::string_view(buffer.get(), used)) : 0;
}

// A device, a pipe: there is nothing to rename over, so write in place.
ReplaceOutcome WriteSpecialFile(const std::string& target, const FileContent& content) {
    OutputFile file;
    if (const int error = file.Create(target); error != 0) return Failed(Stage::kCreate, error);
    int error = WriteGathered(content, [&](std::string_view bytes) { return file.Write(bytes); });
    const int closeError = file.Close();
    if (error == 0) error = closeError;
    return error != 0 ? Failed(Stage::kWrite, error) : ReplaceOutcome{};
}

// True when `bytes` are exactly the content.
bool HoldsExactly(std::string_view bytes, const FileContent& content) {
    if (bytes.size() != content.SizeBytes()) return false;
    std::size_t at = 0;
    const auto next = [&](std::string_view piece) {
        const bool same = bytes.compare(at, piece.size(), piece) == 0;
        at += piece.size();
        return same;
    };
    for (const std::string_view piece : content.pieces) {
        if (!next(piece) || !next(content.after)) return false;
    }
    return true;
}

// Rewrites the file where it stands, recoverably: its old content goes to
// its journal first, and the journal goes only once the new content is on
// disk and read back as written.
ReplaceOutcome WriteInPlace(const std::string& target, const FileContent& content, const FileIdentity* expected) {
    RandomAccessFile file;
    if (const int error = file.OpenExisting(target); error != 0) return Failed(Stage::kCreate, error);
    FileIdentity identity;
    std::string oldBytes;
    if (const int error = file.Identity(identity); error != 0) return Failed(Stage::kWrite, error);
    if (!StillAsExpected(target, expected)) return Changed();
    if (const int error = file.ReadAll(oldBytes); error != 0) return Failed(Stage::kWrite, error);
    std::string journalPath;
    if (const int error = WriteJournal(identity, oldBytes, journalPath); error != 0) {
        return Failed(Stage::kWrite, error);
    }

    // From here a process that dies leaves the journal for the next run;
    // an interrupt waits for the end.
    const HeldInterrupts held;
    // A failure puts the old content back at once; should that fail too,
    // the journal stays for the next run.
    const auto putBack = [&](int error) {
        if (file.Rewrite(oldBytes) == 0) RemoveJournal(journalPath);
        return Failed(Stage::kWrite, error);
    };
    if (!StillAsExpected(target, expected)) {
        RemoveJournal(journalPath);
        return Changed();
    }
    const std::uint64_t newSize = content.SizeBytes();
    // A full disk is met here, before any byte is overwritten.
    if (const int error = file.Reserve(newSize); error != 0) return putBack(error);
    std::uint64_t offset = 0;
    bool changedBeforeTheFirstByte = false;
    const auto writeNext = [&](std::string_view bytes) {
        if (offset == 0) {
            // The last look, just before the first byte (its piece already
            // gathered): the reservation kept the size, so another
            // program's change shows in it, and stays.
            FileIdentity now;
            if (const int error = file.Identity(now); error != 0) return error;
            changedBeforeTheFirstByte = now.sizeBytes != oldBytes.size();
            if (changedBeforeTheFirstByte) return ECANCELED;
        }
        const int writeError = file.WriteAt(offset, bytes);
        offset += bytes.size();
        return writeError;
    };
    if (const int error = WriteGathered(content, writeNext); error != 0) {
        if (!changedBeforeTheFirstByte) return putBack(error);
        RemoveJournal(journalPath);
        return Changed();
    }
    // Another program that appended to the file or cut it meanwhile has
    // changed its size: its change is not cut off, and the journal stays.
    FileIdentity written;
    if (const int error = file.Identity(written); error != 0) return putBack(error);
    if (written.sizeBytes != std::max<std::uint64_t>(newSize, oldBytes.size())) {
        file.Flush();
        return Changed();
    }
    int error = file.Truncate(newSize);
    if (error == 0) error = file.Flush();
    if (error != 0) return putBack(error);
    std::string onDisk;
    if (const int readError = file.ReadAll(onDisk); readError != 0) return putBack(readError);
    if (!HoldsExactly(onDisk, content)) return Changed();
    if (const int removeError = RemoveJournal(journalPath); removeError != 0) return Failed(Stage::kWrite, removeError);
    if (const int closeError = file.Close(); closeError != 0) return Failed(Stage::kWrite, closeError);
    return {};
}

#ifdef _WIN32

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
HANDLE OpenTemporary(const std::string& temp, DWORD& why, std::optional<PendingTemporaryFile>& pending) {
    const auto deadline = std::chrono::steady_clock::now() + kTemporaryWait;
    for (;;) {
        {
            // A file this attempt makes is registered before a console event
            // may act: none is left behind, and none of another's removed.
            const HeldInterrupts held;
            // FILE_SHARE_DELETE lets an interrupted run remove it while open.
            const HANDLE handle = CreateFileA(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
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
DWORD CopyAccessControl(const std::string& target, const std::string& temp) {
    DWORD size = 0;
    GetFileSecurityA(target.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    if (size == 0) return GetLastError();
    std::unique_ptr<char[]> descriptor(new char[size]);
    if (!GetFileSecurityA(target.c_str(), DACL_SECURITY_INFORMATION, descriptor.get(), size, &size) ||
        !SetFileSecurityA(temp.c_str(), DACL_SECURITY_INFORMATION, descriptor.get())) {
        return GetLastError();
    }
    return 0;
}

// `attributes`: the target's, which the replacement takes (hidden, archive
// and the like); INVALID_FILE_ATTRIBUTES for a new file.
Attempt ReplaceThroughTemporary(const std::string& target, const FileContent& content, DWORD attributes,
                                const FileIdentity* expected) {
    const std::string temp = TemporaryPathFor(target);
    DWORD why = 0;
    std::optional<PendingTemporaryFile> pending;  // ours once made: an interrupt removes it
    ScopedHandle file(OpenTemporary(temp, why, pending));
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
        DeleteFileA(temp.c_str());
        return Attempt{outcome};
    };
    if (error != 0) return abandon(Failed(Stage::kWrite, error));
    if (!StillAsExpected(target, expected)) return abandon(Changed());
    const bool targetExists = attributes != INVALID_FILE_ATTRIBUTES;
    // Access that cannot be kept sends the file to the in-place write.
    if (targetExists && CopyAccessControl(target, temp) != 0) {
        DeleteFileA(temp.c_str());
        return {Failed(Stage::kCreate, EACCES), true};
    }
    SetFileAttributesA(temp.c_str(), targetExists ? attributes : FILE_ATTRIBUTE_NORMAL);
    // Another program (a virus scanner, a sync client) may hold the target
    // for a moment. A rename, not ReplaceFile: that moves the old file out
    // of the way first, so that for a moment (or after a crash) no file has
    // the name.
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
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

ReplaceOutcome Replace(const std::string& target, const FileContent& content, const FileIdentity* expected,
                       bool asName) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
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
    ScopedHandle writable(
        CreateFileA(target.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A program holding the file without sharing is waited for at the rename.
    if (!writable.valid() && GetLastError() == ERROR_ACCESS_DENIED) return Failed(Stage::kCreate, EACCES);
    const bool inPlacePossible = writable.valid();
    writable.Close();  // our own handle would stop the rename
    if (inPlacePossible && identity.linkCount > 1) return WriteInPlace(target, content, expected);
    const Attempt attempt = ReplaceThroughTemporary(target, content, attributes, expected);
    if (!attempt.folderRefused || !inPlacePossible) return attempt.outcome;
    return WriteInPlace(target, content, expected);
}

}  // namespace

ReplaceOutcome ReplaceFileContent(const std::string& path, const FileContent& content, const FileIdentity* expected) {
    return Replace(path, content, expected, false);
}
#else

constexpr int kMaxLinkDepth = 40;
// The access control list, kept among the extended attributes.
constexpr const char* kAccessAclAttribute = "system.posix_acl_access";

class ScopedFd {
public:
    explicit ScopedFd(int fd = -1) : fd_(fd) {}
    ~ScopedFd() { Close(); }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    // 0, or the errno of the close.
    int Close() {
        if (fd_ < 0) return 0;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Where a new file cannot be made for reasons of the folder, not the disk's
// content: no permission, a sticky folder, no inode left, a name too long.
bool FolderRefuses(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EEXIST:
        case EROFS:
        case ENAMETOOLONG:
        case EMLINK:
        case ENOSPC:
        case EDQUOT: return true;
        default: return false;
    }
}

// Refusals for lack of permission, as a sticky or read-only folder gives.
bool PermissionRefuses(int error) { return error == EACCES || error == EPERM || error == EROFS || error == EEXIST; }

// 0, or the error number.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// The file a chain of symbolic links ends at; the path itself when it is no
// link. A link to a missing file resolves to the missing file.
std::string ResolveLinks(std::string path) {
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) return path;
        target.resize(static_cast<std::size_t>(length));
        path = !target.empty() && target.front() == '/' ? target : DirectoryPart(path) + target;
    }
    return path;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A list of extended attribute names, or the value of one: 0, or the error
// number. `ask(buffer, size)` is the system call.
template <typename Ask>
int ReadAttributeBytes(std::string& bytes, Ask ask) {
    for (;;) {
        const ssize_t size = ask(nullptr, 0);
        if (size < 0) return errno;
        bytes.resize(static_cast<std::size_t>(size));
        const ssize_t got = ask(bytes.data(), bytes.size());
        if (got >= 0) {
            bytes.resize(static_cast<std::size_t>(got));
            return 0;
        }
        if (errno != ERANGE) return errno;  // grown meanwhile: ask again
    }
}

// Gives the file `to` the extended attributes of `from`, its access control
// list among them, and no access control list that `from` lacks (one the
// folder's default gave the new file): 0, or the error number of the first
// that could not be set.
int CopyExtendedAttributes(int from, int to) {
    std::string names;
    if (const int error =
            ReadAttributeBytes(names, [&](char* list, std::size_t size) { return ::flistxattr(from, list, size); });
        error != 0) {
        return error == ENOTSUP ? 0 : error;
    }
    bool hasAccessAcl = false;
    for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
        const std::string name = names.c_str() + at;
        std::string value;
        if (const int error = ReadAttributeBytes(
                value, [&](char* bytes, std::size_t size) { return ::fgetxattr(from, name.c_str(), bytes, size); });
            error != 0) {
            return error;
        }
        if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) return errno;
        hasAccessAcl = hasAccessAcl || name == kAccessAclAttribute;
    }
    if (!hasAccessAcl && ::fremovexattr(to, kAccessAclAttribute) != 0 && errno != ENODATA && errno != ENOTSUP) {
        return errno;
    }
    return 0;
}

// Opens the temporary file for this process alone, locked (flock) while it
// is written. One left by a killed run is taken over and emptied; one that
// another process holds (a run on another comet file of the same folder
// writes the same backup) is waited for, then EBUSY. 0, or the error number.
int OpenTemporary(const std::string& temp, ScopedFd& file, std::optional<PendingTemporaryFile>& pending) {
    const auto deadline = std::chrono::steady_clock::now() + kTemporaryWait;
    for (;;) {
        {
            // A file this attempt makes is registered before an interrupt
            // may act: none is left behind, and none of another's removed.
            const HeldInterrupts held;
            ScopedFd candidate(::open(temp.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
            if (!candidate.valid()) return errno;
            if (::flock(candidate.get(), LOCK_EX | LOCK_NB) == 0) {
                // Locked: still under that name (not renamed away by its
                // writer meanwhile), and a plain file of one name that may
                // be emptied.
                struct stat opened {
                }, named{};
                if (::fstat(candidate.get(), &opened) != 0 || ::lstat(temp.c_str(), &named) != 0 ||
                    opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
                    continue;
                }
                if (!S_ISREG(opened.st_mode) || opened.st_nlink != 1) return EEXIST;
                if (::ftruncate(candidate.get(), 0) != 0) return errno;
                pending.emplace(temp);
                file.Reset(candidate.Release());
                return 0;
            }
            if (errno != EWOULDBLOCK) return errno;
        }
        if (std::chrono::steady_clock::now() >= deadline) return EBUSY;
        std::this_thread::sleep_for(kTemporaryRetryInterval);
    }
}

// `existing`: the old file's state and an open descriptor of it, whose
// owner, mode and extended attributes the replacement takes; none for a
// new file.
Attempt ReplaceThroughTemporary(const std::string& target, const FileContent& content, const struct stat* existing,
                                int existingFd, const FileIdentity* expected) {
    const std::string temp = TemporaryPathFor(target);
    ScopedFd file;
    std::optional<PendingTemporaryFile> pending;  // ours once made: an interrupt removes it
    if (const int error = OpenTemporary(temp, file, pending); error != 0) {
        if (error == EBUSY) return {Failed(Stage::kBusy, error)};
        return {Failed(Stage::kCreate, error), FolderRefuses(error)};
    }
    // Open and locked until it has its final name, so that no other
    // process takes it over.
    const auto abandon = [&](Stage stage, int error, bool folderRefused) {
        ::unlink(temp.c_str());
        return Attempt{stage == Stage::kChanged ? Changed() : Failed(stage, error), folderRefused};
    };

    // The owner first: a change of owner clears the set-id bits; then the
    // mode, which an access control list set after it refines.
    if (existing != nullptr && (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) &&
        ::fchown(file.get(), existing->st_uid, existing->st_gid) != 0) {
        return abandon(Stage::kCreate, errno, true);
    }
    const mode_t mode = existing != nullptr ? (existing->st_mode & 07777) : NewFileMode();
    if (::fchmod(file.get(), mode) != 0) return abandon(Stage::kWrite, errno, false);
    if (existing != nullptr) {
        if (const int error = CopyExtendedAttributes(existingFd, file.get()); error != 0) {
            return abandon(Stage::kCreate, error, true);
        }
    }
    int error = WriteGathered(content, [&](std::string_view bytes) { return WriteAll(file.get(), bytes); });
    if (error == 0 && ::fsync(file.get()) != 0) error = errno;
    if (error != 0) return abandon(Stage::kWrite, error, false);
    if (!StillAsExpected(target, expected)) return abandon(Stage::kChanged, 0, false);
    if (::rename(temp.c_str(), target.c_str()) != 0) return abandon(Stage::kCreate, errno, FolderRefuses(errno));
    if (const int closeError = file.Close(); closeError != 0) return {Failed(Stage::kWrite, closeError)};
    SyncFolder(DirectoryPart(target));
    return {};
}

ReplaceOutcome Replace(const std::string& path, const FileContent& content, const FileIdentity* expected, bool asName) {
    const std::string target = asName ? path : ResolveLinks(path);
    struct stat info {};
    const bool exists = (asName ? ::lstat(target.c_str(), &info) : ::stat(target.c_str(), &info)) == 0;
    if (exists && S_ISDIR(info.st_mode)) return Failed(Stage::kCreate, EISDIR);
    if (!StillAsExpected(target, expected)) return Changed();
    if (asName && exists && (!S_ISREG(info.st_mode) || info.st_nlink > 1)) {
        // Replaced as a name: the rename takes the link's place.
        const Attempt attempt = ReplaceThroughTemporary(target, content, nullptr, -1, expected);
        if (attempt.folderRefused && PermissionRefuses(attempt.outcome.platformError)) {
            return {Stage::kLinkKept, attempt.outcome.platformError};
        }
        return attempt.outcome;
    }
    if (exists && !S_ISREG(info.st_mode)) return WriteSpecialFile(target, content);
    if (!exists) return ReplaceThroughTemporary(target, content, nullptr, -1, expected).outcome;

    // Whatever the folder allows, a file we may not write is not replaced.
    ScopedFd writable(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!writable.valid()) return Failed(Stage::kCreate, errno);
    if (info.st_nlink > 1) return WriteInPlace(target, content, expected);
    const Attempt attempt = ReplaceThroughTemporary(target, content, &info, writable.get(), expected);
    if (!attempt.folderRefused) return attempt.outcome;
    return WriteInPlace(target, content, expected);
}

}  // namespace

ReplaceOutcome ReplaceFileContent(const std::string& path, const FileContent& content, const FileIdentity* expected) {
    return Replace(path, content, expected, false);
}

#endif

ReplaceOutcome ReplaceNamedFile(const std::string& path, std::string_view bytes) {
    return Replace(path, FileContent{{&bytes, 1}, {}}, nullptr, true);
}

}  // namespace celestra
