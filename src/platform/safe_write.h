// Writing the user's files (the comet file and its backup) so that no stop,
// failure or other program can leave them damaged or make the run write
// where it was not asked to.
//
// The invariant. At every instant a file this module writes holds its old
// content, its new content, or, while it is written in place, a mix of the
// two that a durable journal describes; and nothing is written into bytes
// another program wrote meanwhile, nor into any file but the one named.
//
// - New content reaches a file in one of two ways, chosen once, by one rule
//   (below): a file this process made itself (never one it found at that
//   name), written whole and flushed, then renamed over it; or, in place,
//   only after a journal is durable that names the file (volume, number
//   and, where the system keeps one, birth) and holds its old bytes and its
//   new ones. The journal goes only
//   once the new content is on disk and read back.
// - A journal is acted on only when it is this user's own, only on the file
//   it names, opened without following a link and checked on the open file,
//   and only while that file holds the old content, the new one, or a mix
//   the write could have left. Its room is reserved before the first byte;
//   then the old content is put back. Any other content, or another file,
//   means someone wrote since: nothing is written, the old bytes are kept
//   in a file of their own for the user, and the run stops and says where.
// - A journal stands beside its file, where a later run of any user finds
//   it; only when the folder lets no file be made there does it go to the
//   user's private state folder, and then a mark on the file names it for
//   every run (where no mark can be made, nothing is written in place).
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
        kWrite,   // writing or flushing failed; the file keeps (or got back) its old content
        // The file was not in the state the caller expected: nothing was
        // written; or, written in place, another program changed it
        // meanwhile, and its journal stays for the next run to judge.
        kChanged,
        kBusy,      // another run held the temporary file for the whole wait
        kLinkKept,  // ReplaceNamedFile: a link stands at the name and may not be replaced
        kForeign,   // a file this run may not remove stands at one of its own names (`foreignPath`)
    };
    Stage stage = Stage::kDone;
    int platformError = 0;    // errno of the failing call
    std::string foreignPath;  // with kForeign

    bool ok() const { return stage == Stage::kDone; }
};

// What a replacement writes: the pieces in order, each followed by `after`;
// the lines of a list with their line ends are written from where they
// are, without first being joined into one copy.
struct FileContent {
    std::span<const std::string_view> pieces;
    std::string_view after;  // e.g. CR LF after every line; empty for plain bytes

    std::uint64_t SizeBytes() const;
};

// ".<name>.celestra.tmp" in the folder of `target`: the temporary file a
// replacement writes before it takes the target's name.
std::string TemporaryPathFor(const std::string& target);
// ".<name>.celestra-journal" in the folder of `target`.
std::string JournalPathFor(const std::string& target);

// Replaces (or creates) the file at `path` with `content`.
// - A file this process may not open for writing is never replaced (kCreate).
// - The replacement keeps the file's permission bits, owner, group and
//   extended attributes (on Windows its attributes and DACL); a symbolic
//   link stays a link and the file it leads to gets the content.
// - Written in place when the file has other hard links, so that every name
//   sees the content, and when its folder lets no new file be made or its
//   owner or attributes could not be kept; a device is simply written.
// - `expected`, when given: the file must still be in that state when it
//   is replaced; otherwise kChanged and nothing is written.
ReplaceOutcome ReplaceFileContent(const std::string& path, const FileContent& content,
                                  const FileIdentity* expected = nullptr);
inline ReplaceOutcome ReplaceFileContent(const std::string& path, std::string_view bytes,
                                         const FileIdentity* expected = nullptr) {
    return ReplaceFileContent(path, FileContent{{&bytes, 1}, {}}, expected);
}

// The same for a file written as a name, never through one: a symbolic
// link, a hard link or a device at `path` is replaced by a file of its own;
// when the folder does not let it be replaced, kLinkKept.
ReplaceOutcome ReplaceNamedFile(const std::string& path, std::string_view bytes);

struct RecoveryOutcome {
    enum class Kind {
        kNothing,   // no stopped write of this file, or it had changed nothing
        kRestored,  // the file holds its content from before the stopped write again
        kPutAside,  // the file changed since: left as it is, its old content kept at `path`
        kForeign,   // a journal stands there that is not this user's: `path`, untouched
        kFailed,    // the old content could not be put back; file and journal as they were
    };
    Kind kind = Kind::kNothing;
    int platformError = 0;  // with kFailed
    std::string path;
};

// Looks for the journal of a stopped in-place write of the file at `path`
// (links followed) and acts on it as the invariant above says.
RecoveryOutcome RecoverInterruptedWrite(const std::string& path);

}  // namespace celestra
