#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/random_access_file.h"

namespace celestra {
namespace {

int LastError() { return errno != 0 ? errno : EIO; }

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
std::string StateFolderUnder(const char* base, bool make) {
    if (base == nullptr || base[0] != '/') return {};
    std::string folder = base;
    if (folder.back() != '/') folder += '/';
    folder += "celestra/";
    if (make && !FolderExists(folder)) {
        if (MakeFolders(folder.substr(0, folder.size() - 1)) != 0) return {};
        ::chmod(folder.c_str(), 0700);  // made with the umask's bits; never shared
    }
    return PrivateToThisUser(folder) ? folder : std::string();
}

}  // namespace

RandomAccessFile::~RandomAccessFile() { Close(); }

int RandomAccessFile::OpenExisting(const std::string& path) {
    Close();
    errno = 0;
    fd_ = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    return fd_ >= 0 ? 0 : LastError();
}

int RandomAccessFile::CreatePrivate(const std::string& path) {
    Close();
    errno = 0;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    return fd_ >= 0 ? 0 : LastError();
}

int RandomAccessFile::Identity(FileIdentity& identity) const { return IdentityOfOpenFile(fd_, identity); }

int RandomAccessFile::ReadAll(std::string& bytes) const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return LastError();
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() + 4096);  // grown meanwhile: read on
        const ssize_t count = ::pread(fd_, bytes.data() + used, bytes.size() - used, static_cast<off_t>(used));
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

int RandomAccessFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return 0;
}

int RandomAccessFile::Truncate(std::uint64_t sizeBytes) {
    return ::ftruncate(fd_, static_cast<off_t>(sizeBytes)) == 0 ? 0 : LastError();
}

int RandomAccessFile::Reserve(std::uint64_t sizeBytes) {
#ifdef __linux__
    if (sizeBytes == 0) return 0;
    if (::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(sizeBytes)) == 0) return 0;
    return errno == EOPNOTSUPP || errno == EINVAL || errno == ENOSYS ? 0 : LastError();  // reserves nothing
#else
    (void)sizeBytes;  // no way to reserve without changing the size
    return 0;
#endif
}

int RandomAccessFile::Flush() { return ::fsync(fd_) == 0 ? 0 : LastError(); }

int RandomAccessFile::Close() {
    if (fd_ < 0) return 0;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : LastError();
}

bool RandomAccessFile::IsOpen() const { return fd_ >= 0; }

int RenameReplacing(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : LastError();
}

int RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : LastError(); }

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

namespace {

// The candidates in order, each made when missing and `make`; the ones that
// are this user's alone.
std::vector<std::string> StateFolders(bool make, bool firstOnly) {
    std::vector<std::string> folders;
    const auto consider = [&](const std::string& folder) {
        if (!folder.empty() && !(firstOnly && !folders.empty())) folders.push_back(folder);
    };
    consider(StateFolderUnder(std::getenv("XDG_STATE_HOME"), make && folders.empty()));
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        consider(StateFolderUnder((std::string(home) + "/.local/state").c_str(), make && folders.empty()));
    }
    // A user without a home of their own (a service account, "nobody"):
    // a folder of theirs in the system's lasting temporary folder, refused
    // when someone else made it first.
    const std::string shared = "/var/tmp/celestra-" + std::to_string(::geteuid()) + "/";
    if (make && folders.empty()) ::mkdir(shared.c_str(), 0700);
    if (PrivateToThisUser(shared)) consider(shared);
    return folders;
}

}  // namespace

std::string PrivateStateFolder() {
    const std::vector<std::string> folders = StateFolders(true, true);
    return folders.empty() ? std::string() : folders.front();
}

std::vector<std::string> PrivateStateFolders() { return StateFolders(false, false); }

}  // namespace celestra
