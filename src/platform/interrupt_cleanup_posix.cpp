#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/interrupt_cleanup.h"
#include "platform/interrupt_cleanup_internal.h"

namespace celestra {
namespace {

using interrupt_cleanup_internal::pendingPath;
using interrupt_cleanup_internal::pendingSet;

void RemovePending() {
    if (!pendingSet.load()) return;
    ::unlink(pendingPath);
}

// The thread that installed the handlers: the one that writes, and holds
// interrupts off while it does.
pthread_t handlingThread;

void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    // An interrupt sent to the process goes to any thread that does not
    // block it, such as one the window library started: taken there, it
    // would remove the file and end the process while the handling thread
    // holds interrupts off for a write that must run whole. It is handed on
    // to that thread, which takes it as soon as its mask lets it.
    if (!::pthread_equal(::pthread_self(), handlingThread)) {
        ::pthread_kill(handlingThread, signalNumber);
        errno = savedErrno;
        return;
    }
    RemovePending();
    // Ended by the signal itself, so that the caller sees the usual status.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    errno = savedErrno;
}

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t InterruptSet() {
    sigset_t interrupts;
    sigemptyset(&interrupts);
    for (const int signalNumber : kInterrupts) sigaddset(&interrupts, signalNumber);
    return interrupts;
}

}  // namespace

void RemoveTemporaryFileOnInterrupt() {
    static const bool installed = [] {
        handlingThread = ::pthread_self();
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        for (const int signalNumber : kInterrupts) {
            struct sigaction previous {};
            // A signal the caller chose to ignore (nohup) stays ignored.
            if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
            ::sigaction(signalNumber, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

HeldInterrupts::HeldInterrupts() {
    static_assert(sizeof(sigset_t) <= sizeof saved_);
    const sigset_t interrupts = InterruptSet();
    sigset_t saved;
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &saved);
    std::memcpy(saved_, &saved, sizeof saved);
}
HeldInterrupts::~HeldInterrupts() {
    // A signal that came meanwhile is delivered here, and acts.
    sigset_t saved;
    std::memcpy(&saved, saved_, sizeof saved);
    ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}

}  // namespace celestra
