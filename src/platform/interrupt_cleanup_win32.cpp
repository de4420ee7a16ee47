#include <windows.h>

#include <atomic>

#include "platform/interrupt_cleanup.h"
#include "platform/interrupt_cleanup_internal.h"

namespace celestra {
namespace {

using interrupt_cleanup_internal::pendingPath;
using interrupt_cleanup_internal::pendingSet;

void RemovePending() {
    if (!pendingSet.load()) return;
    // The writer opened it with FILE_SHARE_DELETE: it goes when the process
    // closes its handle on the way out.
    DeleteFileW(pendingPath);
}

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

}  // namespace

void RemoveTemporaryFileOnInterrupt() {
    static const bool installed = [] {
        SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
        return true;
    }();
    (void)installed;
}

HeldInterrupts::HeldInterrupts() { heldCount.fetch_add(1); }
HeldInterrupts::~HeldInterrupts() { heldCount.fetch_sub(1); }

}  // namespace celestra
