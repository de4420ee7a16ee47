#include <windows.h>

#include <cerrno>

#include "platform/busy_wait.h"
#include "platform/file_lock.h"
#include "platform/wide_text.h"

namespace celestra {
namespace {

constexpr const char* kLockSuffix = ".lock";

}  // namespace

FileLock::Outcome FileLock::Acquire(const std::string& path, std::chrono::milliseconds wait) {
    Release();
    const std::wstring lockPath = WidePath(path + kLockSuffix);
    const int error = RetryWhileBusy(wait, [&] {
        const HANDLE handle =
            CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<long long>(handle);
            return 0;
        }
        // Another run holds it open (a sharing violation), or is closing it
        // (delete pending: access denied while the file is still there). A
        // folder where nothing may be created denies access with no file.
        const DWORD why = GetLastError();
        const bool busy =
            why == ERROR_SHARING_VIOLATION ||
            (why == ERROR_ACCESS_DENIED && GetFileAttributesW(lockPath.c_str()) != INVALID_FILE_ATTRIBUTES);
        return busy ? EWOULDBLOCK : EACCES;
    });
    if (error == 0) return Outcome::kLocked;
    return error == EWOULDBLOCK ? Outcome::kBusy : Outcome::kUnavailable;
}

void FileLock::Release() {
    if (handle_ == kNoHandle) return;
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = kNoHandle;
}

}  // namespace celestra
