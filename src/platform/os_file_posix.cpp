#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/os_file.h"

namespace celestra {
namespace {

constexpr int kMaxLinkDepth = 40;
// The access control list, kept among the extended attributes.
constexpr const char* kAccessAclAttribute = "system.posix_acl_access";
// The journal's mark: a file's own, never copied to its replacement.
constexpr const char* kJournalMarkAttribute = "user.celestra.journal";
constexpr std::size_t kReadGrowthBytes = 1 << 12;
constexpr std::int64_t kNanosecondsPerSecond = 1000000000;

// errno, or EIO when a failing call left none.
int LastError() { return errno != 0 ? errno : EIO; }

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

std::int64_t Ticks(const struct statx_timestamp& time) {
    return static_cast<std::int64_t>(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

// statx, for the birth time that tells a file from a later one that took
// its number; 0 where the file system keeps none.
int IdentityAt(int folderFd, const char* path, int flags, FileIdentity& identity) {
    struct statx info {};
    if (::statx(folderFd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) return LastError();
    identity.volume = (static_cast<std::uint64_t>(info.stx_dev_major) << 32) | info.stx_dev_minor;
    identity.fileNumber = info.stx_ino;
    identity.sizeBytes = info.stx_size;
    identity.modifiedTicks = Ticks(info.stx_mtime);
    identity.bornTicks = (info.stx_mask & STATX_BTIME) != 0 ? Ticks(info.stx_btime) : 0;
    identity.linkCount = info.stx_nlink;
    identity.regular = S_ISREG(info.stx_mode);
    identity.folder = S_ISDIR(info.stx_mode);
    return 0;
}

int OpenFlags(OsFile::Mode mode) {
    constexpr int kAlways = O_CLOEXEC | O_NOCTTY;
    switch (mode) {
        case OsFile::Mode::kRead:
        case OsFile::Mode::kLock: return O_RDONLY | O_NONBLOCK | kAlways;
        case OsFile::Mode::kReadWriteNoLink: return O_RDWR | O_NONBLOCK | O_NOFOLLOW | kAlways;
        case OsFile::Mode::kCreateOrEmpty: return O_WRONLY | O_CREAT | O_TRUNC | kAlways;
        case OsFile::Mode::kCreateNew: return O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | kAlways;
    }
    return kAlways;
}

// A list of extended attribute names, or the value of one. `ask(buffer,
// size)` is the system call.
template <typename Ask>
int ReadAttributeBytes(std::string& bytes, Ask ask) {
    for (;;) {
        const ssize_t size = ask(nullptr, 0);
        if (size < 0) return LastError();
        bytes.resize(static_cast<std::size_t>(size));
        const ssize_t got = ask(bytes.data(), bytes.size());
        if (got >= 0) {
            bytes.resize(static_cast<std::size_t>(got));
            return 0;
        }
        if (errno != ERANGE) return LastError();  // grown meanwhile: ask again
    }
}

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
        if (name == kJournalMarkAttribute) continue;
        std::string value;
        if (const int error = ReadAttributeBytes(
                value, [&](char* bytes, std::size_t size) { return ::fgetxattr(from, name.c_str(), bytes, size); });
            error != 0) {
            return error;
        }
        if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) return LastError();
        hasAccessAcl = hasAccessAcl || name == kAccessAclAttribute;
    }
    // No list that the old file lacks (one the folder's default gave).
    if (!hasAccessAcl && ::fremovexattr(to, kAccessAclAttribute) != 0 && errno != ENODATA && errno != ENOTSUP) {
        return LastError();
    }
    return 0;
}

// The folder if it is a real folder of this user that no one else may
// write (not a link planted in its place); `folder` ends with "/".
bool PrivateToThisUser(const std::string& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 022) == 0 &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// `base` + "celestra/", made (0700) when missing and `make`, if `base` is
// an absolute path.
std::string StateFolderUnder(const std::string& base, bool make) {
    if (base.empty() || base[0] != '/') return {};
    const std::string folder = base + (base.back() == '/' ? "" : "/") + "celestra/";
    if (make && !FolderExists(folder)) {
        if (MakeFolders(folder.substr(0, folder.size() - 1)) != 0) return {};
        ::chmod(folder.c_str(), 0700);  // made with the umask's bits; never shared
    }
    return PrivateToThisUser(folder) ? folder : std::string();
}

}  // namespace

int OsFile::Open(const std::string& path, Mode mode) {
    Close();
    errno = 0;
    const int fd = ::open(path.c_str(), OpenFlags(mode), 0600);
    if (fd < 0) return LastError();
    handle_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {  // POSIX opens a folder; it is no file of ours
        const int error = S_ISDIR(info.st_mode) ? EISDIR : LastError();
        Close();
        return error;
    }
    // Only a pipe or a device needed not to wait at the open.
    if (S_ISREG(info.st_mode)) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return 0;
}

int OsFile::Read(char* buffer, std::size_t size, std::size_t& count) {
    for (;;) {
        const ssize_t got = ::read(Fd(handle_), buffer, size);
        if (got >= 0) {
            count = static_cast<std::size_t>(got);
            return 0;
        }
        if (errno == EAGAIN) {  // a pipe with no writer yet: nothing to read
            count = 0;
            return 0;
        }
        if (errno != EINTR) return LastError();
    }
}

int OsFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(Fd(handle_), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int OsFile::ReadAll(std::string& bytes) const {
    struct stat info {};
    if (::fstat(Fd(handle_), &info) != 0) return LastError();
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() + kReadGrowthBytes);  // grown meanwhile: read on
        const ssize_t count = ::pread(Fd(handle_), bytes.data() + used, bytes.size() - used, static_cast<off_t>(used));
        if (count < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        if (count == 0) break;
        used += static_cast<std::size_t>(count);
    }
    bytes.resize(used);
    return 0;
}

int OsFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(Fd(handle_), bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return 0;
}

int OsFile::GrowTo(std::uint64_t sizeBytes) {
    if (sizeBytes == 0) return 0;
    // Allocates and sets the size only where it is larger.
    if (::fallocate(Fd(handle_), 0, 0, static_cast<off_t>(sizeBytes)) == 0) return 0;
    if (errno != EOPNOTSUPP && errno != ENOSYS) return LastError();
    struct stat info {};
    if (::fstat(Fd(handle_), &info) != 0) return LastError();
    if (static_cast<std::uint64_t>(info.st_size) >= sizeBytes) return 0;
    return ::ftruncate(Fd(handle_), static_cast<off_t>(sizeBytes)) == 0 ? 0 : LastError();
}

int OsFile::CutTo(std::uint64_t sizeBytes) {
    return ::ftruncate(Fd(handle_), static_cast<off_t>(sizeBytes)) == 0 ? 0 : LastError();
}

int OsFile::Reserve(std::uint64_t sizeBytes) {
    if (sizeBytes == 0) return 0;
    if (::fallocate(Fd(handle_), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(sizeBytes)) == 0) return 0;
    return errno == EOPNOTSUPP || errno == EINVAL || errno == ENOSYS ? 0 : LastError();  // reserves nothing
}

int OsFile::Flush() { return ::fsync(Fd(handle_)) == 0 ? 0 : LastError(); }

int OsFile::Identity(FileIdentity& identity) const { return IdentityAt(Fd(handle_), "", AT_EMPTY_PATH, identity); }

bool OsFile::PrivateToUser() const {
    struct stat info {};
    return ::fstat(Fd(handle_), &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

int OsFile::TryLock() { return ::flock(Fd(handle_), LOCK_EX | LOCK_NB) == 0 ? 0 : LastError(); }

int OsFile::Close() {
    if (handle_ == kNoHandle) return 0;
    const int result = ::close(Fd(handle_));
    handle_ = kNoHandle;
    return result == 0 ? 0 : LastError();
}

int IdentityOf(const std::string& path, FileIdentity& identity) {
    return IdentityAt(AT_FDCWD, path.c_str(), 0, identity);
}

int NameIdentityOf(const std::string& path, FileIdentity& identity) {
    return IdentityAt(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, identity);
}

bool FolderWritable(const std::string& folder) {
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

int MakeFolder(const std::string& folder) { return ::mkdir(folder.c_str(), 0777) == 0 ? 0 : LastError(); }

std::size_t RootLength(const std::string& path) { return !path.empty() && IsFolderSeparator(path[0]) ? 1 : 0; }

bool IsFolderSeparator(char c) { return c == '/'; }

std::string ExecutablePath(const char* argv0) {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0 && static_cast<std::size_t>(length) < path.size()) {
        return path.substr(0, static_cast<std::size_t>(length));
    }
    return argv0 != nullptr ? argv0 : "";
}

int RenameFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : LastError();
}

int RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : LastError(); }

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string ResolveLinks(const std::string& start) {
    std::string path = start;
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

int CopyFileAttributes(const OsFile& from, const std::string&, OsFile& to, const std::string&) {
    struct stat old {};
    const int fromFd = Fd(from.NativeHandle()), toFd = Fd(to.NativeHandle());
    if (::fstat(fromFd, &old) != 0) return LastError();
    // The owner first: a change of owner clears the set-id bits; then the
    // mode, which an access control list set after it refines.
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(toFd, old.st_uid, old.st_gid) != 0) {
        return LastError();
    }
    if (::fchmod(toFd, old.st_mode & 07777) != 0) return LastError();
    return CopyExtendedAttributes(fromFd, toFd);
}

int SetNewFileMode(OsFile& file) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return ::fchmod(Fd(file.NativeHandle()), 0666 & ~mask) == 0 ? 0 : LastError();
}

int SetJournalMark(OsFile& file, const std::string& journalPath) {
    return ::fsetxattr(Fd(file.NativeHandle()), kJournalMarkAttribute, journalPath.data(), journalPath.size(), 0) == 0
               ? 0
               : LastError();
}

int ReadJournalMark(const std::string& path, std::string& journalPath) {
    const int error = ReadAttributeBytes(journalPath, [&](char* bytes, std::size_t size) {
        return ::getxattr(path.c_str(), kJournalMarkAttribute, bytes, size);
    });
    if (error == ENODATA || error == ENOTSUP) journalPath.clear();
    return error == ENODATA || error == ENOTSUP ? 0 : error;
}

int RemoveJournalMark(OsFile& file) {
    if (::fremovexattr(Fd(file.NativeHandle()), kJournalMarkAttribute) == 0) return 0;
    return errno == ENODATA || errno == ENOTSUP ? 0 : LastError();
}

std::string PrivateStateFolder(bool make) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    for (const std::string& base : {std::string(state != nullptr ? state : ""),
                                    home != nullptr && home[0] == '/' ? std::string(home) + "/.local/state" : ""}) {
        if (std::string folder = StateFolderUnder(base, make); !folder.empty()) return folder;
    }
    // A user without a home of their own (a service account, "nobody"): a
    // folder of theirs in the system's lasting temporary folder, refused
    // when someone else made it first.
    const std::string shared = "/var/tmp/celestra-" + std::to_string(::geteuid()) + "/";
    if (make) ::mkdir(shared.c_str(), 0700);
    return PrivateToThisUser(shared) ? shared : std::string();
}

}  // namespace celestra
