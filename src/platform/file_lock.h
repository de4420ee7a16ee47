// An exclusive lock that one run holds on its comet-elements file from the
// load to the save, so that two runs (a window and a scheduled batch job)
// never both read the same content and each replace it with their own.
// The system releases the lock when the process ends, however it ends, so a
// crash leaves no stale lock.
#pragma once

#include <chrono>
#include <string>

#include "platform/os_file.h"

namespace celestra {

class FileLock {
public:
    enum class Outcome {
        kLocked,       // this process now holds the lock
        kBusy,         // another process held it for the whole wait
        kUnavailable,  // the file system offers no lock there; nothing is held
    };

    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() { Release(); }

    // Locks the file `path` leads to, waiting up to `wait` while another
    // process holds it. On POSIX the file itself is locked (flock), and the
    // lock is taken again should the name lead to another file once locked
    // (a run that held it replaced the file meanwhile). On Windows a hidden
    // lock file beside it, "<name>.lock", is held open with no sharing and
    // goes when closed.
    Outcome Acquire(const std::string& path, std::chrono::milliseconds wait);
    // Closing the file releases the lock.
    void Release() { file_.Close(); }
    bool held() const { return file_.IsOpen(); }

private:
    OsFile file_;
};

}  // namespace celestra
