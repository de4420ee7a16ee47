#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform_file.h"
#include "platform/platform_file_internal.h"

namespace celestra {

using platform_file_internal::LastError;

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

}  // namespace celestra
