#include "platform/file_lock.h"

#include <cerrno>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace celestra {
namespace {

// How often a waiting run tries again.
constexpr std::chrono::milliseconds kRetryInterval{20};

#ifdef _WIN32
constexpr const char* kLockSuffix = ".lock";
#endif

}  // namespace

FileLock::Outcome FileLock::Acquire(const std::string& path, std::chrono::milliseconds wait) {
    Release();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
#ifdef _WIN32
        const std::string lockPath = path + kLockSuffix;
        const HANDLE handle =
            CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<long long>(handle);
            return Outcome::kLocked;
        }
        // Another run holds it open (a sharing violation), or is closing it
        // (delete pending: access denied while the file is still there). A
        // folder where nothing may be created denies access with no file.
        const DWORD why = GetLastError();
        const bool busy =
            why == ERROR_SHARING_VIOLATION ||
            (why == ERROR_ACCESS_DENIED && GetFileAttributesA(lockPath.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (!busy) return Outcome::kUnavailable;
#else
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
#endif
        if (std::chrono::steady_clock::now() >= deadline) return Outcome::kBusy;
        std::this_thread::sleep_for(kRetryInterval);
    }
}

void FileLock::Release() {
    if (handle_ == kNoHandle) return;
#ifdef _WIN32
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
#else
    ::close(static_cast<int>(handle_));  // closing the descriptor releases the lock
#endif
    handle_ = kNoHandle;
}

}  // namespace celestra
