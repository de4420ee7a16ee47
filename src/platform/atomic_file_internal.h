// What atomic_file.cpp shares with its POSIX and Win32 halves
// (atomic_file_posix.cpp, atomic_file_win32.cpp); no other file uses it.
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/atomic_file.h"

namespace celestra::atomic_file_internal {

using Stage = ReplaceOutcome::Stage;

// How long a temporary file another process is writing is waited for, and
// how often it is tried again.
constexpr std::chrono::seconds kTemporaryWait{30};
constexpr std::chrono::milliseconds kTemporaryRetryInterval{20};

inline ReplaceOutcome Failed(Stage stage, int error) { return {stage, error != 0 ? error : EIO}; }
inline ReplaceOutcome Changed() { return {Stage::kChanged, 0}; }

// True when the file is still in the state the caller saw, or the caller
// saw none.
bool StillAsExpected(const std::string& target, const FileIdentity* expected);

// A temporary file that could not be made, or not renamed, because of the
// folder rather than the disk: the file itself may still be written in place.
struct Attempt {
    ReplaceOutcome outcome;
    bool folderRefused = false;
};

// Content is gathered into pieces of this size for writing.
constexpr std::size_t kGatherBytes = 1 << 18;

// Hands the content to `write` (int(std::string_view): 0, or an error
// number) in pieces of at most kGatherBytes, short pieces gathered into one
// buffer; a lone run of bytes goes as it is. 0, or the first error.
template <typename Write>
int WriteGathered(const FileContent& content, Write write) {
    if (content.pieces.size() == 1 && content.after.empty()) return write(content.pieces.front());
    const std::unique_ptr<char[]> buffer(new char[kGatherBytes]);
    std::size_t used = 0;
    const auto put = [&](std::string_view bytes) {
        while (!bytes.empty()) {
            if (used == kGatherBytes) {
                if (const int error = write(std::string_view(buffer.get(), used)); error != 0) return error;
                used = 0;
            }
            const std::size_t count = std::min(bytes.size(), kGatherBytes - used);
            std::memcpy(buffer.get() + used, bytes.data(), count);
            used += count;
            bytes.remove_prefix(count);
        }
        return 0;
    };
    for (const std::string_view piece : content.pieces) {
        if (const int error = put(piece); error != 0) return error;
        if (const int error = put(content.after); error != 0) return error;
    }
    return used > 0 ? write(std::string_view(buffer.get(), used)) : 0;
}

// A device, a pipe: there is nothing to rename over, so write in place.
ReplaceOutcome WriteSpecialFile(const std::string& target, const FileContent& content);

// Rewrites the file where it stands, recoverably: its old content goes to
// its journal first, and the journal goes only once the new content is on
// disk and read back as written.
ReplaceOutcome WriteInPlace(const std::string& target, const FileContent& content, const FileIdentity* expected);

// The replacement itself, one for each system: with `asName` a link or a
// device at `path` is replaced by a file (ReplaceNamedFile); without, what
// the path leads to gets the content (ReplaceFileContent).
ReplaceOutcome Replace(const std::string& path, const FileContent& content, const FileIdentity* expected, bool asName);

}  // namespace celestra::atomic_file_internal
