#include "platform/file_lock.h"

#include <cerrno>

#include "platform/busy_wait.h"

namespace celestra {
namespace {

// Windows would stop other programs reading a file this run locked: there
// the lock is a file of its own beside it.
#ifdef _WIN32
constexpr const char* kLockSuffix = ".lock";
#else
constexpr const char* kLockSuffix = "";
#endif

}  // namespace

FileLock::Outcome FileLock::Acquire(const std::string& path, std::chrono::milliseconds wait) {
    Release();
    const std::string lockPath = path + kLockSuffix;
    const int error = RetryWhileBusy(wait, [&] {
        for (;;) {
            if (const int openError = file_.Open(lockPath, OsFile::Mode::kLock); openError != 0) return openError;
            if (const int lockError = file_.TryLock(); lockError != 0) {
                file_.Close();
                return lockError == EINTR ? EWOULDBLOCK : lockError;
            }
            // Still the file at the name: a run that held it may have
            // replaced it while this one waited; then the new one is locked.
            FileIdentity locked, named;
            if (file_.Identity(locked) == 0 && IdentityOf(lockPath, named) == 0 && locked.SameFileAs(named)) return 0;
            file_.Close();
        }
    });
    if (error == 0) return Outcome::kLocked;
    return error == EWOULDBLOCK ? Outcome::kBusy : Outcome::kUnavailable;
}

}  // namespace celestra
