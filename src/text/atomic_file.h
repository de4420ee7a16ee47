// Replacing a file's content so that it is never left half-written: the
// bytes go to a temporary file beside it, reach the disk, and the temporary
// file is then renamed over it. A failure at any point leaves the old file
// whole and removes the temporary file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "text/platform_file.h"

namespace celestra {

struct ReplaceOutcome {
    enum class Stage {
        kDone,
        kCreate,   // the file may not be written, or could not be created or replaced
        kWrite,    // writing or flushing failed
        kChanged,  // the file was no longer in the state the caller expected; nothing written
    };
    Stage stage = Stage::kDone;
    int platformError = 0;  // errno of the failing call

    bool ok() const { return stage == Stage::kDone; }
};

// What a replacement writes: the pieces in order, each followed by `after`;
// the lines of a list with their line ends are written from where they
// are, without first being joined into one copy.
struct FileContent {
    std::span<const std::string_view> pieces;
    std::string_view after;  // e.g. CR LF after every line; empty for plain bytes

    std::uint64_t SizeBytes() const {
        std::uint64_t size = static_cast<std::uint64_t>(after.size()) * pieces.size();
        for (const std::string_view piece : pieces) size += piece.size();
        return size;
    }
};

// Replaces (or creates) the file at `path` with `content`.
// - A file this process may not open for writing is never replaced (kCreate,
//   file unchanged), whatever its folder allows.
// - The replacement keeps the file's permission bits, owner and group; a
//   symbolic link stays a link and the file it leads to gets the content.
// - The temporary file is ".<name>.celestra.tmp" beside the file; one left
//   by a process that was killed is removed and made anew.
// - The file is written in place instead (so that a failure part way may
//   leave it short) when it has other hard links, so that every name sees
//   the content; when its folder lets no new file be made or its owner could
//   not be kept, but the file itself may be written; and for a device.
// - `expected`, when given: the file must still be in that state just
//   before it is replaced; otherwise kChanged and nothing is written.
ReplaceOutcome ReplaceFileContent(const std::string& path, const FileContent& content,
                                  const FileIdentity* expected = nullptr);
// The same with one run of bytes.
inline ReplaceOutcome ReplaceFileContent(const std::string& path, std::string_view bytes,
                                         const FileIdentity* expected = nullptr) {
    return ReplaceFileContent(path, FileContent{{&bytes, 1}, {}}, expected);
}

}  // namespace celestra
