// The one way this program waits for another process to let go of a file:
// tried again at a short interval until the wait is over.
#pragma once

#include <cerrno>
#include <chrono>
#include <thread>

namespace celestra {

inline constexpr std::chrono::milliseconds kBusyRetryInterval{20};

// Calls `attempt` (int(): 0, or an error number) until it answers anything
// but EWOULDBLOCK, or `wait` has passed; its last answer.
template <typename Attempt>
int RetryWhileBusy(std::chrono::milliseconds wait, Attempt attempt) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const int error = attempt();
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) return error;
        std::this_thread::sleep_for(kBusyRetryInterval);
    }
}

}  // namespace celestra
