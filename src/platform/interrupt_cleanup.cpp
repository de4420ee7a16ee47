#include "platform/interrupt_cleanup.h"

#include <cstring>

#include "platform/interrupt_cleanup_internal.h"

namespace celestra {

namespace interrupt_cleanup_internal {

char pendingPath[kPathRoom];
std::atomic<bool> pendingSet{false};

}  // namespace interrupt_cleanup_internal

using interrupt_cleanup_internal::kPathRoom;
using interrupt_cleanup_internal::pendingPath;
using interrupt_cleanup_internal::pendingSet;

PendingTemporaryFile::PendingTemporaryFile(const std::string& path) {
    if (path.size() >= kPathRoom) return;
    pendingSet.store(false);
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    pendingSet.store(true);
}

PendingTemporaryFile::~PendingTemporaryFile() { pendingSet.store(false); }

}  // namespace celestra
