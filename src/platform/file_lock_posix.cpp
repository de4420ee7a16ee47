#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/file_lock.h"

namespace celestra {
namespace {

// How often a waiting run tries again.
constexpr std::chrono::milliseconds kRetryInterval{20};

}  // namespace

FileLock::Outcome FileLock::Acquire(const std::string& path, std::chrono::milliseconds wait) {
    Release();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return Outcome::kUnavailable;  // the load that follows says why
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat locked {
            }, named{};
            if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 && locked.st_dev == named.st_dev &&
                locked.st_ino == named.st_ino) {
                handle_ = fd;
                return Outcome::kLocked;
            }
            ::close(fd);  // the file was replaced while we waited: lock the new one
            continue;
        }
        const int why = errno;
        ::close(fd);
        if (why != EWOULDBLOCK && why != EINTR) return Outcome::kUnavailable;
        if (std::chrono::steady_clock::now() >= deadline) return Outcome::kBusy;
        std::this_thread::sleep_for(kRetryInterval);
    }
}

void FileLock::Release() {
    if (handle_ == kNoHandle) return;
    ::close(static_cast<int>(handle_));  // closing the descriptor releases the lock
    handle_ = kNoHandle;
}

}  // namespace celestra
