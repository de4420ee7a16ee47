#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>
#include <utility>

#include "platform/atomic_file_internal.h"
#include "platform/interrupt_cleanup.h"
#include "platform/random_access_file.h"

namespace celestra::atomic_file_internal {
namespace {

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

}  // namespace

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

}  // namespace celestra::atomic_file_internal
