#include <windows.h>

#include <thread>

#include "platform/file_lock.h"
#include "platform/wide_text.h"

namespace celestra {
namespace {

// How often a waiting run tries again.
constexpr std::chrono::milliseconds kRetryInterval{20};

constexpr const char* kLockSuffix = ".lock";

}  // namespace

FileLock::Outcome FileLock::Acquire(const std::string& path, std::chrono::milliseconds wait) {
    Release();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const std::wstring lockPath = WidePath(path + kLockSuffix);
        const HANDLE handle =
            CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
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
            (why == ERROR_ACCESS_DENIED && GetFileAttributesW(lockPath.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (!busy) return Outcome::kUnavailable;
        if (std::chrono::steady_clock::now() >= deadline) return Outcome::kBusy;
        std::this_thread::sleep_for(kRetryInterval);
    }
}

void FileLock::Release() {
    if (handle_ == kNoHandle) return;
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = kNoHandle;
}

}  // namespace celestra
