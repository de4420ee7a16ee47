// Replacing a file's content so that it is never left half-written: the
// bytes go to a temporary file beside it, reach the disk, and the temporary
// file is then renamed over it. A failure at any point leaves the old file
// whole and removes the temporary file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform_file.h"

namespace celestra {

struct ReplaceOutcome {
    enum class Stage {
        kDone,
        kCreate,  // the file may not be written, or could not be created or replaced
        kWrite,   // writing or flushing failed; the file keeps (or the next run gets back) its old content
        // The file was no longer in the state the caller expected: nothing
        // was written, or, written in place, another program changed it
        // meanwhile and the next run puts its old content back.
        kChanged,
        kBusy,      // another process held the temporary file for the whole wait
        kLinkKept,  // ReplaceNamedFile: a link stands at the name and may not be replaced
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

// ".<name>.celestra.tmp" in the folder of `target`: the temporary file a
// replacement writes before it takes the target's name.
std::string TemporaryPathFor(const std::string& target);

// Replaces (or creates) the file at `path` with `content`.
// - A file this process may not open for writing is never replaced (kCreate,
//   file unchanged), whatever its folder allows.
// - The replacement keeps the file's permission bits, owner and group; a
//   symbolic link stays a link and the file it leads to gets the content.
// - The replacement takes the old file's extended attributes (its access
//   control list among them) on POSIX, and its attributes and access control
//   list (DACL) on Windows.
// - The temporary file is ".<name>.celestra.tmp" beside the file, hidden on
//   Windows; one left by a process that was killed is taken over. One that
//   another process is writing is waited for, then kBusy. An interrupt
//   removes it only once this process has made it its own.
// - The file is written in place instead when it has other hard links, so
//   that every name sees the content; when its folder lets no new file be
//   made, or its owner or extended attributes could not be kept, but the
//   file itself may be written; and for a device. The old content is then
//   first kept in the file's journal (write_journal.h), the space the new
//   content needs is reserved, interrupts wait, and the file is read back
//   once on disk: a failure puts the old content back at once, a process
//   that dies leaves the journal to the next run, and a change by another
//   program meanwhile gives kChanged with the journal kept.
// - `expected`, when given: the file must still be in that state just
//   before it is replaced; otherwise kChanged and nothing is written.
ReplaceOutcome ReplaceFileContent(const std::string& path, const FileContent& content,
                                  const FileIdentity* expected = nullptr);
// The same with one run of bytes.
inline ReplaceOutcome ReplaceFileContent(const std::string& path, std::string_view bytes,
                                         const FileIdentity* expected = nullptr) {
    return ReplaceFileContent(path, FileContent{{&bytes, 1}, {}}, expected);
}

// The same for a file that is written as a name, never through one: a
// symbolic link, a hard link or a device at `path` is replaced by a file of
// its own, so that nothing outside the name's folder is written; when the
// folder does not let it be replaced, kLinkKept and nothing is written.
ReplaceOutcome ReplaceNamedFile(const std::string& path, std::string_view bytes);

}  // namespace celestra
