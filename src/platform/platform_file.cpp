#include "platform/platform_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace celestra {
namespace {

constexpr std::size_t kStreamBufferBytes = 1 << 16;
constexpr std::size_t kMinimumReadBytes = 1 << 12;
// A file compared with bytes in memory is read in pieces of this size.
constexpr std::size_t kComparedPieceBytes = 1 << 18;

// errno, or EIO when a failing call left none.
int LastError() { return errno != 0 ? errno : EIO; }

bool Stat(const std::string& path, bool& isFolder) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    isFolder = (info.st_mode & S_IFMT) == S_IFDIR;  // MSVC has no S_ISDIR
    return true;
}

#ifdef _WIN32
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
#else
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
#endif

}  // namespace

namespace {

// The identity of the file at `path`, or of a link there itself.
int IdentityOfPath(const std::string& path, bool followLinks, FileIdentity& identity) {
#ifdef _WIN32
    // Opened for no access at all: a file another program holds is still seen.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    const int error = IdentityOfHandle(handle, identity);
    CloseHandle(handle);
    return error;
#else
    struct stat info {};
    if ((followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0) return LastError();
    identity = IdentityOfStat(info);
    return 0;
#endif
}

}  // namespace

int IdentityOf(const std::string& path, FileIdentity& identity) { return IdentityOfPath(path, true, identity); }

int NameIdentityOf(const std::string& path, FileIdentity& identity) { return IdentityOfPath(path, false, identity); }

int IdentityOfOpenFile(std::intptr_t handle, FileIdentity& identity) {
#ifdef _WIN32
    return IdentityOfHandle(reinterpret_cast<HANDLE>(handle), identity);
#else
    struct stat info {};
    if (::fstat(static_cast<int>(handle), &info) != 0) return LastError();
    identity = IdentityOfStat(info);
    return 0;
#endif
}

bool IsRegularFile(const std::string& path) {
    FileIdentity identity;
    return !path.empty() && IdentityOf(path, identity) == 0 && identity.regular;
}

bool FileExists(const std::string& path) {
    bool isFolder = false;
    return !path.empty() && Stat(path, isFolder) && !isFolder;
}

bool FolderExists(const std::string& path) {
    bool isFolder = false;
    return !path.empty() && Stat(path, isFolder) && isFolder;
}

bool FolderWritable(const std::string& folder) {
#ifdef _WIN32
    const std::string probe = folder + "celestra-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
#else
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
#endif
}

namespace {

// The length of a path's root, which is never made: "/" on POSIX; on
// Windows a drive ("C:" or "C:\\") or a share ("\\\\server\\share\\").
std::size_t RootLength(const std::string& path) {
#ifdef _WIN32
    if (path.size() >= 2 && path[1] == ':') return path.size() > 2 && IsFolderSeparator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && IsFolderSeparator(path[0]) && IsFolderSeparator(path[1])) {
        std::size_t separators = 2, at = 2;
        while (at < path.size() && separators < 4) separators += IsFolderSeparator(path[at++]) ? 1u : 0u;
        return at;
    }
#endif
    return !path.empty() && IsFolderSeparator(path[0]) ? 1 : 0;
}

}  // namespace

int MakeFolders(const std::string& folder) {
    // Each prefix after the root that ends at a separator, then the whole path.
    for (std::size_t end = RootLength(folder) + 1; end <= folder.size(); ++end) {
        if (end < folder.size() && !IsFolderSeparator(folder[end])) continue;
        const std::string prefix = folder.substr(0, end);
        if (FolderExists(prefix)) continue;
        errno = 0;
#ifdef _WIN32
        const int made = ::_mkdir(prefix.c_str());
#else
        const int made = ::mkdir(prefix.c_str(), 0777);
#endif
        if (made != 0 && errno != EEXIST) return LastError();
    }
    return FolderExists(folder) ? 0 : ENOTDIR;
}

std::string ExecutablePath(const char* argv0) {
#ifdef _WIN32
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return std::string(path, length);
#elif defined(__linux__)
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0 && static_cast<std::size_t>(length) < path.size())
        return path.substr(0, static_cast<std::size_t>(length));
#endif
    return argv0 != nullptr ? argv0 : "";
}

bool IsFolderSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

std::string DirectoryPart(std::string_view path) {
    std::size_t end = path.size();
    while (end > 0 && !IsFolderSeparator(path[end - 1])) --end;
    return std::string(path.substr(0, end));
}

InOutError InOutErrorOf(int platformError, FileAccess access, const std::string& path) {
    switch (platformError) {
        case ENOENT: {
            // The file is missing, or already a folder on its way.
            const std::string folder = DirectoryPart(path);
            const bool folderThere = folder.empty() || FolderExists(folder);
            if (access == FileAccess::kOpenForReading && folderThere) {
                return InOutError::FromCode(InOutError::kFileNotFound);
            }
            return InOutError::FromCode(InOutError::kInvalidFilename);
        }
        case ENOTDIR: return InOutError::FromCode(InOutError::kInvalidFilename);
        case EMFILE:
        case ENFILE: return InOutError::FromCode(InOutError::kTooManyOpenFiles);
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return InOutError::FromCode(InOutError::kAccessDenied);
        default: return InOutError::FromPlatform(platformError);
    }
}

namespace {

// Opens a file to be read from its start, and takes its identity first when
// asked: 0, or the platform error number with the access that failed.
int OpenForWholeReading(const std::string& path, InputFile& file, FileAccess& failedAccess, FileIdentity* identity) {
    failedAccess = FileAccess::kOpenForReading;
    if (const int error = file.Open(path); error != 0) return error;
    failedAccess = FileAccess::kRead;
    return identity != nullptr ? file.Identity(*identity) : 0;
}

}  // namespace

int ReadWholeFile(const std::string& path, ByteBuffer& bytes, FileAccess& failedAccess, FileIdentity* identity) {
    InputFile file;
    if (const int error = OpenForWholeReading(path, file, failedAccess, identity); error != 0) return error;
    // Room for the whole file at once and one byte more, so that a single
    // read and one that finds the end suffice; a file that tells no size
    // (or grows) gets twice the room whenever it fills what it has.
    std::size_t room = std::max<std::size_t>(file.SizeHint() + 1, kMinimumReadBytes);
    std::unique_ptr<char[]> content(new char[room]);
    std::size_t used = 0;
    for (;;) {
        if (used == room) {
            std::unique_ptr<char[]> larger(new char[2 * room]);
            std::memcpy(larger.get(), content.get(), used);
            content = std::move(larger);
            room *= 2;
        }
        int error = 0;
        const std::size_t count = file.Read(content.get() + used, room - used, error);
        if (error != 0) return error;
        if (count == 0) break;
        used += count;
    }
    bytes = ByteBuffer(std::move(content), used);
    return 0;
}

int CompareFileContent(const std::string& path, std::string_view expected, bool& same, FileAccess& failedAccess,
                       FileIdentity* identity) {
    same = false;
    InputFile file;
    if (const int error = OpenForWholeReading(path, file, failedAccess, identity); error != 0) return error;
    // One piece more than `expected` holds tells a longer file.
    const std::unique_ptr<char[]> piece(new char[kComparedPieceBytes]);
    std::size_t compared = 0;
    for (;;) {
        int error = 0;
        const std::size_t count = file.Read(piece.get(), kComparedPieceBytes, error);
        if (error != 0) return error;
        if (count == 0) break;
        if (count > expected.size() - compared || std::memcmp(piece.get(), expected.data() + compared, count) != 0) {
            return 0;  // longer, or different
        }
        compared += count;
    }
    same = compared == expected.size();
    return 0;
}

InputFile::~InputFile() { Close(); }

int InputFile::Open(const std::string& path) {
    Close();
    errno = 0;
#ifdef _WIN32
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) return LastError();
#else
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
#endif
    std::setvbuf(file_, nullptr, _IOFBF, kStreamBufferBytes);
    return 0;
}

std::size_t InputFile::Read(char* buffer, std::size_t size, int& error) {
    errno = 0;
    const std::size_t count = std::fread(buffer, 1, size, file_);
    error = count < size && std::ferror(file_) ? LastError() : 0;
    return error != 0 ? 0 : count;
}

std::size_t InputFile::SizeHint() const {
    struct stat info {};
    if (::fstat(::fileno(file_), &info) != 0 || info.st_size <= 0) return 0;
    return static_cast<std::size_t>(info.st_size);
}

int InputFile::Identity(FileIdentity& identity) const {
#ifdef _WIN32
    return IdentityOfOpenFile(_get_osfhandle(_fileno(file_)), identity);
#else
    return IdentityOfOpenFile(::fileno(file_), identity);
#endif
}

void InputFile::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

OutputFile::~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
}

int OutputFile::Create(const std::string& path) {
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) return LastError();
    std::setvbuf(file_, nullptr, _IOFBF, kStreamBufferBytes);
    return 0;
}

int OutputFile::Write(std::string_view bytes) {
    if (bytes.empty()) return 0;
    errno = 0;
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() ? 0 : LastError();
}

int OutputFile::Close() {
    std::FILE* file = file_;
    file_ = nullptr;
    if (file == nullptr) return 0;
    errno = 0;
    return std::fclose(file) == 0 ? 0 : LastError();
}

}  // namespace celestra
