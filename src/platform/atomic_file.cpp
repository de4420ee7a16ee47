#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>

#include "platform/atomic_file_internal.h"
#include "platform/interrupt_cleanup.h"
#include "platform/random_access_file.h"
#include "platform/write_journal.h"

namespace celestra {
namespace atomic_file_internal {
namespace {

constexpr const char* kTemporarySuffix = ".celestra.tmp";

// True when `bytes` are exactly the content.
bool HoldsExactly(std::string_view bytes, const FileContent& content) {
    if (bytes.size() != content.SizeBytes()) return false;
    std::size_t at = 0;
    const auto next = [&](std::string_view piece) {
        const bool same = bytes.compare(at, piece.size(), piece) == 0;
        at += piece.size();
        return same;
    };
    for (const std::string_view piece : content.pieces) {
        if (!next(piece) || !next(content.after)) return false;
    }
    return true;
}

}  // namespace

bool StillAsExpected(const std::string& target, const FileIdentity* expected) {
    if (expected == nullptr) return true;
    FileIdentity now;
    return IdentityOf(target, now) == 0 && now.SameStateAs(*expected);
}

ReplaceOutcome WriteSpecialFile(const std::string& target, const FileContent& content) {
    OutputFile file;
    if (const int error = file.Create(target); error != 0) return Failed(Stage::kCreate, error);
    int error = WriteGathered(content, [&](std::string_view bytes) { return file.Write(bytes); });
    const int closeError = file.Close();
    if (error == 0) error = closeError;
    return error != 0 ? Failed(Stage::kWrite, error) : ReplaceOutcome{};
}

ReplaceOutcome WriteInPlace(const std::string& target, const FileContent& content, const FileIdentity* expected) {
    RandomAccessFile file;
    if (const int error = file.OpenExisting(target); error != 0) return Failed(Stage::kCreate, error);
    FileIdentity identity;
    std::string oldBytes;
    if (const int error = file.Identity(identity); error != 0) return Failed(Stage::kWrite, error);
    if (!StillAsExpected(target, expected)) return Changed();
    if (const int error = file.ReadAll(oldBytes); error != 0) return Failed(Stage::kWrite, error);
    std::string journalPath;
    if (const int error = WriteJournal(identity, oldBytes, journalPath); error != 0) {
        return Failed(Stage::kWrite, error);
    }

    // From here a process that dies leaves the journal for the next run;
    // an interrupt waits for the end.
    const HeldInterrupts held;
    // A failure puts the old content back at once; should that fail too,
    // the journal stays for the next run.
    const auto putBack = [&](int error) {
        if (file.Rewrite(oldBytes) == 0) RemoveJournal(journalPath);
        return Failed(Stage::kWrite, error);
    };
    if (!StillAsExpected(target, expected)) {
        RemoveJournal(journalPath);
        return Changed();
    }
    const std::uint64_t newSize = content.SizeBytes();
    // A full disk is met here, before any byte is overwritten.
    if (const int error = file.Reserve(newSize); error != 0) return putBack(error);
    std::uint64_t offset = 0;
    bool changedBeforeTheFirstByte = false;
    const auto writeNext = [&](std::string_view bytes) {
        if (offset == 0) {
            // The last look, just before the first byte (its piece already
            // gathered): the reservation kept the size, so another
            // program's change shows in it, and stays.
            FileIdentity now;
            if (const int error = file.Identity(now); error != 0) return error;
            changedBeforeTheFirstByte = now.sizeBytes != oldBytes.size();
            if (changedBeforeTheFirstByte) return ECANCELED;
        }
        const int writeError = file.WriteAt(offset, bytes);
        offset += bytes.size();
        return writeError;
    };
    if (const int error = WriteGathered(content, writeNext); error != 0) {
        if (!changedBeforeTheFirstByte) return putBack(error);
        RemoveJournal(journalPath);
        return Changed();
    }
    // Another program that appended to the file or cut it meanwhile has
    // changed its size: its change is not cut off, and the journal stays.
    FileIdentity written;
    if (const int error = file.Identity(written); error != 0) return putBack(error);
    if (written.sizeBytes != std::max<std::uint64_t>(newSize, oldBytes.size())) {
        file.Flush();
        return Changed();
    }
    // Only a file that shrinks is cut: a cut to a size the file already has
    // would take off whatever another program appended since the look
    // above, and the run would not know. Left in place, it shows in the
    // reading back.
    int error = newSize < oldBytes.size() ? file.Truncate(newSize) : 0;
    if (error == 0) error = file.Flush();
    if (error != 0) return putBack(error);
    std::string onDisk;
    if (const int readError = file.ReadAll(onDisk); readError != 0) return putBack(readError);
    if (!HoldsExactly(onDisk, content)) return Changed();
    if (const int removeError = RemoveJournal(journalPath); removeError != 0) return Failed(Stage::kWrite, removeError);
    if (const int closeError = file.Close(); closeError != 0) return Failed(Stage::kWrite, closeError);
    return {};
}

}  // namespace atomic_file_internal

std::string TemporaryPathFor(const std::string& target) {
    const std::string folder = DirectoryPart(target);
    return folder + "." + target.substr(folder.size()) + atomic_file_internal::kTemporarySuffix;
}

ReplaceOutcome ReplaceFileContent(const std::string& path, const FileContent& content, const FileIdentity* expected) {
    return atomic_file_internal::Replace(path, content, expected, false);
}

ReplaceOutcome ReplaceNamedFile(const std::string& path, std::string_view bytes) {
    return atomic_file_internal::Replace(path, FileContent{{&bytes, 1}, {}}, nullptr, true);
}

}  // namespace celestra
