#include "platform/interrupt_cleanup.h"

#include <cstring>

#include "platform/interrupt_cleanup_internal.h"
#ifdef _WIN32
#include "platform/wide_text.h"
#endif

namespace celestra {

namespace interrupt_cleanup_internal {

PathChar pendingPath[kPathRoom];
std::atomic<bool> pendingSet{false};

}  // namespace interrupt_cleanup_internal

using interrupt_cleanup_internal::kPathRoom;
using interrupt_cleanup_internal::pendingPath;
using interrupt_cleanup_internal::pendingSet;

PendingTemporaryFile::PendingTemporaryFile(const std::string& path) {
#ifdef _WIN32
    const std::wstring systemPath = WidePath(path);
#else
    const std::string& systemPath = path;
#endif
    if (systemPath.size() >= kPathRoom) return;
    pendingSet.store(false);
    std::memcpy(pendingPath, systemPath.c_str(), (systemPath.size() + 1) * sizeof pendingPath[0]);
    pendingSet.store(true);
}

PendingTemporaryFile::~PendingTemporaryFile() { pendingSet.store(false); }

}  // namespace celestra
