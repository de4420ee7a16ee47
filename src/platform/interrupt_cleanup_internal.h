// What interrupt_cleanup.cpp shares with its POSIX and Win32 halves
// (interrupt_cleanup_posix.cpp, interrupt_cleanup_win32.cpp); no other file
// uses it.
#pragma once

#include <atomic>
#include <cstddef>

namespace celestra::interrupt_cleanup_internal {

// Read by a signal handler: a fixed buffer and a lock-free flag, nothing
// that allocates. A path too long for the buffer is not registered.
// On Windows the path is kept as the wide file calls take it, converted
// when registered, so that the console handler converts nothing.
#ifdef _WIN32
using PathChar = wchar_t;
#else
using PathChar = char;
#endif
constexpr std::size_t kPathRoom = 4096;
extern PathChar pendingPath[kPathRoom];
extern std::atomic<bool> pendingSet;
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace celestra::interrupt_cleanup_internal
