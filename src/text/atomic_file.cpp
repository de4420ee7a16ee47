#include "text/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "text/platform_file.h"

namespace celestra {
namespace {

using Stage = ReplaceOutcome::Stage;

ReplaceOutcome Failed(Stage stage, int error) { return {stage, error != 0 ? error : EIO}; }

#ifdef _WIN32

constexpr int kReplaceAttempts = 5;
constexpr DWORD kReplaceRetryMilliseconds = 50;

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const unsigned chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<unsigned>(bytes.size());
        const int written = _write(fd, bytes.data(), chunk);
        if (written < 0) return errno;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

ReplaceOutcome ReplaceRegularFile(const std::string& target, std::string_view bytes) {
    // A unique name beside the target, created exclusively.
    std::string temp;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = target + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64() + attempt) +
               ".tmp";
        fd = _open(temp.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) return Failed(Stage::kCreate, errno);
    }
    if (fd < 0) return Failed(Stage::kCreate, EEXIST);
    int error = WriteAll(fd, bytes);
    if (error == 0 && _commit(fd) != 0) error = errno;
    if (_close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        _unlink(temp.c_str());
        return Failed(Stage::kWrite, error);
    }
    // Another program (a virus scanner, a sync client) may hold the target
    // for a moment.
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
        const DWORD why = GetLastError();
        const bool busy = why == ERROR_ACCESS_DENIED || why == ERROR_SHARING_VIOLATION || why == ERROR_LOCK_VIOLATION;
        if (!busy || attempt == kReplaceAttempts) {
            _unlink(temp.c_str());
            return Failed(Stage::kCreate, why == ERROR_ACCESS_DENIED || busy ? EACCES : EIO);
        }
        Sleep(kReplaceRetryMilliseconds);
    }
}

std::string ResolveLinks(const std::string& path) { return path; }

bool IsSpecialFile(const struct _stat64& info) { return (info.st_mode & _S_IFREG) == 0; }

#else

constexpr int kMaxLinkDepth = 40;

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

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);  // best effort: the rename is already done
    ::close(fd);
}

ReplaceOutcome ReplaceRegularFile(const std::string& target, std::string_view bytes, const struct stat* existing) {
    const std::string folder = DirectoryPart(target);
    std::string temp = folder + "." + target.substr(folder.size()) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Failed(Stage::kCreate, errno);

    int error = ::fchmod(fd, existing != nullptr ? (existing->st_mode & 07777) : NewFileMode()) != 0 ? errno : 0;
    if (error == 0) error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return Failed(Stage::kWrite, error);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temp.c_str());
        return Failed(Stage::kCreate, error);
    }
    SyncFolder(folder);
    return {};
}

#endif

// A device, a pipe: there is nothing to rename over, so write in place.
ReplaceOutcome WriteInPlace(const std::string& target, std::string_view bytes) {
    OutputFile file;
    if (const int error = file.Create(target); error != 0) return Failed(Stage::kCreate, error);
    int error = file.Write(bytes);
    const int closeError = file.Close();
    if (error == 0) error = closeError;
    return error != 0 ? Failed(Stage::kWrite, error) : ReplaceOutcome{};
}

}  // namespace

ReplaceOutcome ReplaceFileContent(const std::string& path, std::string_view bytes) {
    const std::string target = ResolveLinks(path);
#ifdef _WIN32
    struct _stat64 info {};
    const bool exists = _stat64(target.c_str(), &info) == 0;
    if (exists && (info.st_mode & _S_IFDIR) != 0) return Failed(Stage::kCreate, EISDIR);
    if (exists && IsSpecialFile(info)) return WriteInPlace(target, bytes);
    return ReplaceRegularFile(target, bytes);
#else
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return Failed(Stage::kCreate, EISDIR);
    if (exists && !S_ISREG(info.st_mode)) return WriteInPlace(target, bytes);
    return ReplaceRegularFile(target, bytes, exists ? &info : nullptr);
#endif
}

}  // namespace celestra
