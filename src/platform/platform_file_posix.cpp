#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform_file.h"
#include "platform/platform_file_internal.h"

namespace celestra {

using platform_file_internal::kStreamBufferBytes;
using platform_file_internal::LastError;

namespace {

FileIdentity IdentityOfStat(const struct stat& info) {
    FileIdentity identity;
    identity.volume = static_cast<std::uint64_t>(info.st_dev);
    identity.fileNumber = static_cast<std::uint64_t>(info.st_ino);
    identity.sizeBytes = static_cast<std::uint64_t>(info.st_size);
    identity.modifiedTicks = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    identity.linkCount = static_cast<std::uint64_t>(info.st_nlink);
    identity.regular = S_ISREG(info.st_mode);
    return identity;
}

// The identity of the file at `path`, or of a link there itself.
int IdentityOfPath(const std::string& path, bool followLinks, FileIdentity& identity) {
    struct stat info {};
    if ((followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0) return LastError();
    identity = IdentityOfStat(info);
    return 0;
}

}  // namespace

int IdentityOf(const std::string& path, FileIdentity& identity) { return IdentityOfPath(path, true, identity); }

int NameIdentityOf(const std::string& path, FileIdentity& identity) { return IdentityOfPath(path, false, identity); }

int IdentityOfOpenFile(std::intptr_t handle, FileIdentity& identity) {
    struct stat info {};
    if (::fstat(static_cast<int>(handle), &info) != 0) return LastError();
    identity = IdentityOfStat(info);
    return 0;
}

bool FolderWritable(const std::string& folder) {
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

namespace platform_file_internal {

std::size_t RootLength(const std::string& path) { return !path.empty() && IsFolderSeparator(path[0]) ? 1 : 0; }

int MakeFolder(const std::string& folder) { return ::mkdir(folder.c_str(), 0777); }

bool LookAt(const std::string& path, bool& isFolder) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    isFolder = S_ISDIR(info.st_mode);
    return true;
}

std::FILE* OpenStream(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

}  // namespace platform_file_internal

std::string ExecutablePath(const char* argv0) {
#if defined(__linux__)
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0 && static_cast<std::size_t>(length) < path.size())
        return path.substr(0, static_cast<std::size_t>(length));
#endif
    return argv0 != nullptr ? argv0 : "";
}

bool IsFolderSeparator(char c) { return c == '/'; }

int InputFile::Open(const std::string& path) {
    Close();
    errno = 0;
    // Without O_NONBLOCK, opening a pipe waits for a writer, for ever if none
    // comes; a pipe opened this way reads as empty or fails instead.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return LastError();
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {  // POSIX opens a folder; it is no file of ours
        const int error = S_ISDIR(info.st_mode) ? EISDIR : LastError();
        ::close(fd);
        return error;
    }
    if (S_ISREG(info.st_mode)) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file_ = ::fdopen(fd, "rb");
    if (file_ == nullptr) {
        const int error = LastError();
        ::close(fd);
        return error;
    }
    std::setvbuf(file_, nullptr, _IOFBF, kStreamBufferBytes);
    return 0;
}

int InputFile::Identity(FileIdentity& identity) const { return IdentityOfOpenFile(::fileno(file_), identity); }

}  // namespace celestra
