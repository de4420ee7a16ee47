#include "platform/interrupt_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace celestra {
namespace {

// Read by a signal handler: a fixed buffer and a lock-free flag, nothing
// that allocates. A path too long for the buffer is not registered.
constexpr std::size_t kPathRoom = 4096;
char pendingPath[kPathRoom];
std::atomic<bool> pendingSet{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void RemovePending() {
    if (!pendingSet.load()) return;
#ifdef _WIN32
    // The writer opened it with FILE_SHARE_DELETE: it goes when the process
    // closes its handle on the way out.
    DeleteFileA(pendingPath);
#else
    ::unlink(pendingPath);
#endif
}

#ifdef _WIN32
// Writes under way that an event must wait for.
std::atomic<int> heldCount{0};
// The longest an event waits: the system ends a closed console's process
// after five seconds whatever its handler does.
constexpr int kLongestHoldMilliseconds = 4000;
constexpr int kHoldPollMilliseconds = 5;

BOOL WINAPI OnConsoleEvent(DWORD) {
    // Runs on a thread of its own: the write goes on meanwhile.
    for (int waited = 0; heldCount.load() > 0 && waited < kLongestHoldMilliseconds; waited += kHoldPollMilliseconds) {
        Sleep(kHoldPollMilliseconds);
    }
    RemovePending();
    return FALSE;  // the default handler ends the process
}
#else
void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    RemovePending();
    // Ended by the signal itself, so that the caller sees the usual status.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    errno = savedErrno;
}
#endif

#ifndef _WIN32
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t InterruptSet() {
    sigset_t interrupts;
    sigemptyset(&interrupts);
    for (const int signalNumber : kInterrupts) sigaddset(&interrupts, signalNumber);
    return interrupts;
}
#endif

}  // namespace

void RemoveTemporaryFileOnInterrupt() {
    static const bool installed = [] {
#ifdef _WIN32
        SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        for (const int signalNumber : kInterrupts) {
            struct sigaction previous {};
            // A signal the caller chose to ignore (nohup) stays ignored.
            if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
            ::sigaction(signalNumber, &action, nullptr);
        }
#endif
        return true;
    }();
    (void)installed;
}

#ifdef _WIN32
HeldInterrupts::HeldInterrupts() { heldCount.fetch_add(1); }
HeldInterrupts::~HeldInterrupts() { heldCount.fetch_sub(1); }
#else
HeldInterrupts::HeldInterrupts() {
    const sigset_t interrupts = InterruptSet();
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &saved_);
}
HeldInterrupts::~HeldInterrupts() {
    // A signal that came meanwhile is delivered here, and acts.
    ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}
#endif

PendingTemporaryFile::PendingTemporaryFile(const std::string& path) {
    if (path.size() >= kPathRoom) return;
    pendingSet.store(false);
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    pendingSet.store(true);
}

PendingTemporaryFile::~PendingTemporaryFile() { pendingSet.store(false); }

}  // namespace celestra
