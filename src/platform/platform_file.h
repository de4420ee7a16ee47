// The file system as the system needs it: plain byte files, opened, read or
// written and closed, with the platform's error number on failure. The
// calls of each platform live in platform_file_posix.cpp and
// platform_file_win32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/byte_buffer.h"
#include "text/errors.h"

namespace celestra {

class OsFile;

// True when the path names an existing file that is not a folder.
bool FileExists(const std::string& path);

// True when the path names an existing folder.
bool FolderExists(const std::string& path);

// True when this process may create files in the folder (on Windows found
// by creating and dropping a file there, since permissions there are not
// bits to read).
bool FolderWritable(const std::string& folder);

// Creates the folder and every missing folder above it: 0, or the platform
// error number.
int MakeFolders(const std::string& folder);

// The running executable's full path as the system names it, byte for byte;
// `argv0` when the system tells none.
std::string ExecutablePath(const char* argv0);

// True for the bytes that end the folder part of a path: "/" on POSIX; "\",
// "/" and the drive colon on Windows.
bool IsFolderSeparator(char c);

// The path up to and including its last folder separator; empty when it has
// none. A file name joined to it names a file in the path's folder.
std::string DirectoryPart(std::string_view path);

// What tells one state of a file on disk from another: which file the name
// leads to, and its size and modification time. Two looks at a file that
// agree on all of these saw the same content, as far as the system tells.
struct FileIdentity {
    std::uint64_t volume = 0;      // device or volume serial number
    std::uint64_t fileNumber = 0;  // inode or file index
    std::uint64_t sizeBytes = 0;
    std::int64_t modifiedTicks = 0;  // ns (POSIX) or 100 ns (Windows) since the platform's epoch
    std::int64_t bornTicks = 0;      // creation, in the same ticks; 0 where the system keeps none
    std::uint64_t linkCount = 0;     // names the file has (hard links)
    bool regular = false;            // a plain file, not a device, pipe or folder
    bool folder = false;

    // The same file, under whichever name.
    bool SameFileAs(const FileIdentity& other) const {
        return volume == other.volume && fileNumber == other.fileNumber;
    }
    // Same file, same size, same modification time.
    bool SameStateAs(const FileIdentity& other) const {
        return SameFileAs(other) && sizeBytes == other.sizeBytes && modifiedTicks == other.modifiedTicks;
    }
};

// The identity of the file a path leads to (links followed): 0, or the
// platform error number.
int IdentityOf(const std::string& path, FileIdentity& identity);

// The identity of the name itself, a symbolic link not followed: 0, or the
// platform error number.
int NameIdentityOf(const std::string& path, FileIdentity& identity);

// True when the path leads to a plain file: one that can be read to its end
// (not a pipe, a device or a folder).
bool IsRegularFile(const std::string& path);

// How a file was being used when the platform reported an error.
enum class FileAccess { kOpenForReading, kOpenForWriting, kRead, kWrite };

// The input/output error of a platform error number (errno) met on the file
// at `path`, which its message names after the text: the path as the caller
// holds it (the comet file, its backup, the object list, a settings file or
// the folder made for it), so pass the one the failing call was given.
InOutError InOutErrorOf(int platformError, FileAccess access, const std::string& path);

// Reads a whole file into `bytes`: 0, or the platform error number, with
// `failedAccess` telling whether opening or reading failed. `identity`, when
// given, receives the file's identity as it was when opened, before the
// first byte was read.
int ReadWholeFile(const std::string& path, ByteBuffer& bytes, FileAccess& failedAccess,
                  FileIdentity* identity = nullptr);

// Reads an open file on from where its last read ended, to its end, into
// `bytes`, after `before` (what those reads gave): 0, or the platform error
// number. Room for the whole file is made at once, from its size.
int ReadRestOfFile(OsFile& file, std::string_view before, ByteBuffer& bytes);

// Reads a file piece by piece, comparing it with `expected`: 0, with `same`
// true when the file holds exactly those bytes, or the platform error number
// as ReadWholeFile gives it. Needs no room for the whole file.
int CompareFileContent(const std::string& path, std::string_view expected, bool& same, FileAccess& failedAccess,
                       FileIdentity* identity = nullptr);

}  // namespace celestra
