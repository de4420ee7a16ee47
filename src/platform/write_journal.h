// The rollback journal of a file rewritten in place. Before the first byte
// of the file is overwritten, its old content is on disk in a journal that
// belongs to that file alone (named after its volume and file number, in
// this user's private state folder); the journal goes once the new content
// has reached the disk. A journal that is still there says that a write was
// stopped part way, and the next run puts the old content back before
// anything else.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform_file.h"

namespace celestra {

// The name of the journal of the file with this identity, in a private
// state folder (random_access_file.h).
std::string JournalNameFor(const FileIdentity& file);

// Writes the journal of `file` holding `oldBytes`, durably, under its final
// name: 0 with `journalPath` set, or the platform error number (and nothing
// left behind).
int WriteJournal(const FileIdentity& file, std::string_view oldBytes, std::string& journalPath);

// Removes a journal once the write it guarded is on disk: 0, or the
// platform error number.
int RemoveJournal(const std::string& journalPath);

struct RecoveryOutcome {
    enum class Kind {
        kNothing,   // no write of this file was stopped, or it had written nothing yet
        kRestored,  // the file holds its content from before the stopped write again
        kFailed,    // the old content could not be put back; the journal stays
    };
    Kind kind = Kind::kNothing;
    int platformError = 0;  // with kFailed
};

// Puts back the content a stopped in-place write of the file at `path`
// (links followed) had replaced, when its journal is there.
RecoveryOutcome RecoverInterruptedWrite(const std::string& path);

}  // namespace celestra
