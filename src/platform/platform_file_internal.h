// What platform_file.cpp shares with its POSIX and Win32 halves
// (platform_file_posix.cpp, platform_file_win32.cpp); no other file uses it.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string>

namespace celestra::platform_file_internal {

// errno, or EIO when a failing call left none.
inline int LastError() { return errno != 0 ? errno : EIO; }

// The length of a path's root, which is never made: "/" on POSIX; on
// Windows a drive ("C:" or "C:\\") or a share ("\\\\server\\share\\").
std::size_t RootLength(const std::string& path);

// Makes one folder, its parent already there: 0, or -1 with errno set.
int MakeFolder(const std::string& folder);

// What a path names: false when nothing (or nothing this process may look
// at), else true with `isFolder` telling a folder from anything else.
bool LookAt(const std::string& path, bool& isFolder);

}  // namespace celestra::platform_file_internal
