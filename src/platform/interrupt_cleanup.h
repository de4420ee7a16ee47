// A run stopped from outside (Ctrl-C, SIGTERM, SIGHUP, a console window
// closed) must not leave the temporary file it was writing: that file is as
// large as the comet-elements file. The file being written is registered
// while it exists; the handlers remove it and then let the process end as
// the signal would have ended it.
#pragma once

#include <string>

namespace celestra {

// Installs the handlers, once per process. A program that never calls it
// keeps the system's default handling. Called from the thread that writes
// (the main thread, at start-up): on POSIX an interrupt another thread
// takes is handed on to it, so that HeldInterrupts there holds it off.
void RemoveTemporaryFileOnInterrupt();

// Holds the interrupts off for its lifetime: a write that must not stop
// half way (a file rewritten in place) runs whole, and an interrupt that
// came meanwhile acts as soon as it ends. On Windows a console event waits
// for it (up to a few seconds, as the system allows).
class HeldInterrupts {
public:
    HeldInterrupts();
    ~HeldInterrupts();
    HeldInterrupts(const HeldInterrupts&) = delete;
    HeldInterrupts& operator=(const HeldInterrupts&) = delete;

private:
    // The thread's signal mask before (POSIX), as bytes: room for a
    // sigset_t without naming it here. Unused on Windows.
    unsigned char saved_[128];
};

// Registers a file as the one to remove, for the lifetime of this object.
// One at a time: a run writes one temporary file at a time.
class PendingTemporaryFile {
public:
    explicit PendingTemporaryFile(const std::string& path);
    ~PendingTemporaryFile();
    PendingTemporaryFile(const PendingTemporaryFile&) = delete;
    PendingTemporaryFile& operator=(const PendingTemporaryFile&) = delete;
};

}  // namespace celestra
