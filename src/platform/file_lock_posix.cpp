#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/busy_wait.h"
#include "platform/file_lock.h"

namespace celestra {

FileLock::Outcome FileLock::Acquire(const std::string& path, std::chrono::milliseconds wait) {
    Release();
    const int error = RetryWhileBusy(wait, [&] {
        for (;;) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
            if (fd < 0) return ENOENT;  // the load that follows says why
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                const int why = errno == EINTR ? EWOULDBLOCK : errno;
                ::close(fd);
                return why;
            }
            struct stat locked {
            }, named{};
            if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 && locked.st_dev == named.st_dev &&
                locked.st_ino == named.st_ino) {
                handle_ = fd;
                return 0;
            }
            ::close(fd);  // the file was replaced while we waited: lock the new one
        }
    });
    if (error == 0) return Outcome::kLocked;
    return error == EWOULDBLOCK ? Outcome::kBusy : Outcome::kUnavailable;
}

void FileLock::Release() {
    if (handle_ == kNoHandle) return;
    ::close(static_cast<int>(handle_));  // closing the descriptor releases the lock
    handle_ = kNoHandle;
}

}  // namespace celestra
