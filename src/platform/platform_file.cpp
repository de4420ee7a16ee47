#include "platform/platform_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/os_file.h"

namespace celestra {
namespace {

constexpr std::size_t kMinimumReadBytes = 1 << 12;
// A file compared with bytes in memory is read in pieces of this size.
constexpr std::size_t kComparedPieceBytes = 1 << 18;

}  // namespace

bool IsRegularFile(const std::string& path) {
    FileIdentity identity;
    return !path.empty() && IdentityOf(path, identity) == 0 && identity.regular;
}

bool FileExists(const std::string& path) {
    FileIdentity identity;
    return !path.empty() && IdentityOf(path, identity) == 0 && !identity.folder;
}

bool FolderExists(const std::string& path) {
    FileIdentity identity;
    return !path.empty() && IdentityOf(path, identity) == 0 && identity.folder;
}

int MakeFolders(const std::string& folder) {
    // Each prefix after the root that ends at a separator, then the whole path.
    for (std::size_t end = RootLength(folder) + 1; end <= folder.size(); ++end) {
        if (end < folder.size() && !IsFolderSeparator(folder[end])) continue;
        const std::string prefix = folder.substr(0, end);
        if (FolderExists(prefix)) continue;
        if (const int error = MakeFolder(prefix); error != 0 && error != EEXIST) return error;
    }
    return FolderExists(folder) ? 0 : ENOTDIR;
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
                return InOutError::FromCode(InOutError::kFileNotFound, path);
            }
            return InOutError::FromCode(InOutError::kInvalidFilename, path);
        }
        case ENOTDIR: return InOutError::FromCode(InOutError::kInvalidFilename, path);
        case EMFILE:
        case ENFILE: return InOutError::FromCode(InOutError::kTooManyOpenFiles, path);
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EWOULDBLOCK:  // another program holds it without sharing (Windows)
            return InOutError::FromCode(InOutError::kAccessDenied, path);
        default: return InOutError::FromPlatform(platformError, path);
    }
}

namespace {

// Opens a file to be read from its start, and takes its identity first when
// asked: 0, or the platform error number with the access that failed.
int OpenForWholeReading(const std::string& path, OsFile& file, FileAccess& failedAccess, FileIdentity* identity) {
    failedAccess = FileAccess::kOpenForReading;
    if (const int error = file.Open(path, OsFile::Mode::kRead); error != 0) return error;
    failedAccess = FileAccess::kRead;
    return identity != nullptr ? file.Identity(*identity) : 0;
}

}  // namespace

int ReadWholeFile(const std::string& path, ByteBuffer& bytes, FileAccess& failedAccess, FileIdentity* identity) {
    OsFile file;
    if (const int error = OpenForWholeReading(path, file, failedAccess, identity); error != 0) return error;
    return ReadRestOfFile(file, {}, bytes);
}

int ReadRestOfFile(OsFile& file, std::string_view before, ByteBuffer& bytes) {
    FileIdentity opened;
    // Room for the whole file at once and one byte more, so that a single
    // read and one that finds the end suffice; a file that tells no size
    // (or grows) gets twice the room whenever it fills what it has.
    const std::size_t sizeHint = file.Identity(opened) == 0 ? static_cast<std::size_t>(opened.sizeBytes) : 0;
    std::size_t room = std::max<std::size_t>(std::max(sizeHint, before.size()) + 1, kMinimumReadBytes);
    std::unique_ptr<char[]> content(new char[room]);
    std::copy(before.begin(), before.end(), content.get());
    std::size_t used = before.size();
    for (;;) {
        if (used == room) {
            std::unique_ptr<char[]> larger(new char[2 * room]);
            std::memcpy(larger.get(), content.get(), used);
            content = std::move(larger);
            room *= 2;
        }
        std::size_t count = 0;
        if (const int error = file.Read(content.get() + used, room - used, count); error != 0) return error;
        if (count == 0) break;
        used += count;
    }
    bytes = ByteBuffer(std::move(content), used);
    return 0;
}

int CompareFileContent(const std::string& path, std::string_view expected, bool& same, FileAccess& failedAccess,
                       FileIdentity* identity) {
    same = false;
    OsFile file;
    if (const int error = OpenForWholeReading(path, file, failedAccess, identity); error != 0) return error;
    // One piece more than `expected` holds tells a longer file.
    const std::unique_ptr<char[]> piece(new char[kComparedPieceBytes]);
    std::size_t compared = 0;
    for (;;) {
        std::size_t count = 0;
        if (const int error = file.Read(piece.get(), kComparedPieceBytes, count); error != 0) return error;
        if (count == 0) break;
        if (count > expected.size() - compared || std::memcmp(piece.get(), expected.data() + compared, count) != 0) {
            return 0;  // longer, or different
        }
        compared += count;
    }
    same = compared == expected.size();
    return 0;
}

}  // namespace celestra
