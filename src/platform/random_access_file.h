// A file opened to be read and rewritten where it stands, with every step
// reaching the disk on request: what an in-place write and its journal need.
// The POSIX and Win32 versions live in files of their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_file.h"

namespace celestra {

class RandomAccessFile {
public:
    RandomAccessFile() = default;
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;
    ~RandomAccessFile();

    // An existing file (links followed), for reading and writing, shared
    // with other programs: 0, or the platform error number.
    int OpenExisting(const std::string& path);
    // A file of this process's only, created or emptied, never through a
    // link: 0, or the platform error number.
    int CreatePrivate(const std::string& path);

    int Identity(FileIdentity& identity) const;
    // The whole content from its first byte.
    int ReadAll(std::string& bytes) const;
    int WriteAt(std::uint64_t offset, std::string_view bytes);
    int Truncate(std::uint64_t sizeBytes);
    // Room on the disk for `sizeBytes` bytes, so that a full disk is met now
    // rather than part way through a write. The file keeps its size. 0 also
    // where the file system reserves nothing.
    int Reserve(std::uint64_t sizeBytes);
    // What was written reaches the disk.
    int Flush();
    // The file holds exactly `bytes` from now on, on disk: written from its
    // first byte, cut after them, flushed.
    int Rewrite(std::string_view bytes) {
        int error = WriteAt(0, bytes);
        if (error == 0) error = Truncate(bytes.size());
        if (error == 0) error = Flush();
        return error;
    }
    int Close();
    bool IsOpen() const;

private:
#ifdef _WIN32
    void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
    int fd_ = -1;
#endif
};

// Gives `from` the name `to`, replacing a file (or link) of that name:
// 0, or the platform error number.
int RenameReplacing(const std::string& from, const std::string& to);
// Removes a file's name: 0, or the platform error number.
int RemoveFile(const std::string& path);
// Makes a folder's last renames and removals durable, as far as the
// system offers it; best effort.
void SyncFolder(const std::string& folder);

// A folder that belongs to this user alone and outlives the process and a
// restart of the machine: the state folder of the user's profile
// ("$XDG_STATE_HOME/celestra/", "~/.local/state/celestra/" or
// "%LOCALAPPDATA%\Celestra\"), else a private one of the system's
// ("/var/tmp/celestra-<uid>/", "%TEMP%\Celestra\"). The first that can be
// had, made when missing; empty when there is none. Ends with its separator.
std::string PrivateStateFolder();
// Every such folder there is now, in the same order, none made: a run
// started with other settings (a scheduled job) may have used another.
std::vector<std::string> PrivateStateFolders();

#ifdef _WIN32
// The errno that stands for a Windows error code.
int ErrnoOfWindowsError(unsigned long windowsError);
#endif

}  // namespace celestra
