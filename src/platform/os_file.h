// The system's files as the rest of the program holds them: one type for an
// open file, and the few calls on names that go with it. Every call answers
// 0 or the platform's error number, as errno spells it (Windows errors are
// converted once, in os_file_win32.cpp); EWOULDBLOCK says that another
// process holds the file for now. The POSIX and Win32 halves hold only
// system calls; what is decided about files is decided above them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_file.h"

namespace celestra {

class OsFile {
public:
    enum class Mode {
        kRead,  // an existing file, read only; a pipe without a writer is no wait; a folder is EISDIR
        // An existing file, read and written, shared with other programs;
        // refused (ELOOP) when the name itself is a link.
        kReadWriteNoLink,
        kCreateOrEmpty,  // created, or emptied when it exists; written only
        // To be locked (FileLock): the file itself, read only, on POSIX; on
        // Windows a file of the lock's own, made when missing, shared with
        // no one and gone when closed (EWOULDBLOCK while another holds it).
        kLock,
        // Made by this call and no one else's: refused (EEXIST) whenever a
        // name of any kind stands there, never through a link; on POSIX
        // readable and writable by this user alone (0600), on Windows hidden,
        // shared with no other writer, with the folder's permissions.
        kCreateNew,
    };

    OsFile() = default;
    OsFile(const OsFile&) = delete;
    OsFile& operator=(const OsFile&) = delete;
    ~OsFile() { Close(); }

    int Open(const std::string& path, Mode mode);
    // Reads on from where the last read ended: `count` is 0 at the end.
    int Read(char* buffer, std::size_t size, std::size_t& count);
    // Writes on after the last write, all of `bytes` or an error.
    int Write(std::string_view bytes);
    // The whole content from its first byte, however long it has grown.
    int ReadAll(std::string& bytes) const;
    int WriteAt(std::uint64_t offset, std::string_view bytes);
    // Grows the file with zero bytes to at least `sizeBytes`, never cutting
    // it: bytes another program appended meanwhile stay.
    int GrowTo(std::uint64_t sizeBytes);
    // Cuts the file to `sizeBytes`.
    int CutTo(std::uint64_t sizeBytes);
    // Room on the disk for the first `sizeBytes` bytes, so that a full disk
    // is met now and not part way through a write; the size stays. 0 also
    // where the file system reserves nothing.
    int Reserve(std::uint64_t sizeBytes);
    // What was written reaches the disk.
    int Flush();
    int Identity(FileIdentity& identity) const;
    // Owned by the user running this process and writable by no one else;
    // on Windows owned by this user (or by the Administrators group an
    // elevated run gives its files), or on a volume that keeps no owners,
    // where anyone may write anything.
    bool PrivateToUser() const;
    // An exclusive lock that other runs of this program test, taken without
    // waiting: EWOULDBLOCK while another process holds it. (On Windows the
    // sharing of kCreateNew already excludes them: always 0.)
    int TryLock();
    int Close();
    bool IsOpen() const { return handle_ != kNoHandle; }
    std::intptr_t NativeHandle() const { return handle_; }

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;  // a descriptor (POSIX) or a HANDLE (Windows)
};

// Windows renames no file that is open without delete sharing, and a file
// open with it could be removed by another run: such a file is closed first.
#ifdef _WIN32
inline constexpr bool kRenameNeedsClosedFile = true;
#else
inline constexpr bool kRenameNeedsClosedFile = false;
#endif

// Gives `from` the name `to`, replacing a file or link of that name.
int RenameFile(const std::string& from, const std::string& to);
// Makes one folder, its parent already there: 0, or the error (EEXIST when
// something stands there).
int MakeFolder(const std::string& folder);
// The length of a path's root, which is never made: "/" on POSIX; on
// Windows a drive ("C:" or "C:\\") or a share ("\\\\server\\share\\").
std::size_t RootLength(const std::string& path);
// Removes a name (a link, not what it leads to): EWOULDBLOCK while another
// program holds the file without letting it be removed (Windows).
int RemoveFile(const std::string& path);
// Makes a folder's last renames and removals durable, as far as the system
// offers it; best effort.
void SyncFolder(const std::string& folder);
// The path a chain of symbolic links at `path` ends at; `path` itself when
// it is no link. A link to a missing file resolves to the missing file.
std::string ResolveLinks(const std::string& path);

// Gives the new file `to` what a replacement keeps of the old file `from`:
// on POSIX its owner, group, mode and extended attributes (its access
// control list among them, and none it lacks); on Windows its attributes
// and access control list (DACL). 0, or the error of the first that could
// not be given.
int CopyFileAttributes(const OsFile& from, const std::string& fromPath, OsFile& to, const std::string& toPath);
// The permission bits a new file gets from the process's umask (POSIX).
int SetNewFileMode(OsFile& file);

// The mark an in-place write leaves on its file while its journal stands
// away from it (in a private state folder), so that a run of any user
// knows of the journal: its path. An extended attribute on POSIX; Windows
// has no such place that every file system keeps, and marks nothing (0,
// and an empty path read). Reading a file without one gives an empty path.
int SetJournalMark(OsFile& file, const std::string& journalPath);
int ReadJournalMark(const std::string& path, std::string& journalPath);
int RemoveJournalMark(OsFile& file);

// A folder that belongs to this user alone and outlives the process and a
// restart of the machine: "$XDG_STATE_HOME/celestra/",
// "~/.local/state/celestra/" or "%LOCALAPPDATA%\Celestra\", else a private
// one of the system's ("/var/tmp/celestra-<uid>/", "%TEMP%\Celestra\"): the
// first that can be had, made when missing and `make`; empty when none.
// Ends with its separator.
std::string PrivateStateFolder(bool make);

#ifdef _WIN32
// The errno that stands for a Windows error code: the one conversion.
int ErrnoOfWindowsError(unsigned long windowsError);
#endif

}  // namespace celestra
