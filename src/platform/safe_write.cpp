#include "platform/safe_write.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "platform/busy_wait.h"
#include "platform/interrupt_cleanup.h"
#include "platform/os_file.h"
#include "text/fixed_texts.h"

namespace celestra {
namespace {

using Stage = ReplaceOutcome::Stage;
using Kind = RecoveryOutcome::Kind;

constexpr const char* kTemporarySuffix = ".celestra.tmp";
constexpr const char* kJournalSuffix = ".celestra-journal";
// A journal in the private state folder is named after its file's volume
// and number, since names there would collide.
constexpr const char* kStateJournalPrefix = "journal-";
constexpr int kMostKeptCopies = 100;
// How long a file another run holds is waited for; a rename that another
// program (a virus scanner) stops for a moment, briefly.
constexpr std::chrono::seconds kBusyWait{30};
constexpr std::chrono::milliseconds kRenameWait{250};
// Content is gathered into pieces of this size for writing.
constexpr std::size_t kGatherBytes = 1 << 18;

// A journal: this line; then "<volume> <file number> <birth> <old size>
// <new size> <name size>\n" (hex, hex, then decimal); then the file's name,
// its old bytes and its new bytes, exactly as many as the header says.
constexpr std::string_view kJournalSignature = "celestra journal 2\n";
constexpr int kHex = 16;
constexpr int kDecimal = 10;

ReplaceOutcome Failed(Stage stage, int error) { return {stage, error != 0 ? error : EIO, {}}; }
ReplaceOutcome Changed() { return {Stage::kChanged, 0, {}}; }
RecoveryOutcome RecoveryFailed(int error) { return {Kind::kFailed, error != 0 ? error : EIO, {}}; }

// Where a new file cannot be made for reasons of the folder, not of the
// content: no permission, a sticky or read-only folder, no inode or room
// left, a name too long. The file itself may still be written in place.
bool FolderRefuses(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
        case ENAMETOOLONG:
        case EMLINK:
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return true;
        default: return false;
    }
}

std::string FileNameOf(const std::string& path) { return path.substr(DirectoryPart(path).size()); }

std::string Hex(std::uint64_t value) {
    char digits[16];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value, kHex).ptr);
}

// The content as one run of bytes.
std::string Joined(const FileContent& content) {
    std::string bytes;
    bytes.reserve(content.SizeBytes());
    for (const std::string_view piece : content.pieces) {
        bytes += piece;
        bytes += content.after;
    }
    return bytes;
}

// Hands the content to `write` in pieces of at most kGatherBytes, short
// pieces gathered into one buffer; a lone run of bytes goes as it is.
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

bool StillAsExpected(const std::string& target, const FileIdentity* expected) {
    if (expected == nullptr) return true;
    FileIdentity now;
    return IdentityOf(target, now) == 0 && now.SameStateAs(*expected);
}

// True when the open file is still the one at `path`, and locked.
bool LockedAtItsName(OsFile& file, const std::string& path) {
    FileIdentity opened, named;
    return file.TryLock() == 0 && file.Identity(opened) == 0 && NameIdentityOf(path, named) == 0 &&
           opened.SameFileAs(named);
}

// Removes what a run of this program left at `path` when it was killed:
// EWOULDBLOCK while a live run holds it; EPERM or EACCES when it is not
// this user's to remove; 0 once the name is gone. A link or a pipe planted
// there is only a name to remove. A file goes only while this run holds
// its lock, so never from under a live run; one this user may not read may
// be another user's run at work, and stays.
int RemoveLeftover(const std::string& path) {
    FileIdentity named, opened;
    if (const int error = NameIdentityOf(path, named); error != 0) return error == ENOENT ? 0 : error;
    OsFile file;
    if (named.regular) {
        if (const int error = file.Open(path, OsFile::Mode::kRead); error != 0) return error == ENOENT ? 0 : error;
        if (const int error = file.TryLock(); error != 0) return error;
        if (file.Identity(opened) != 0 || !opened.SameFileAs(named)) return EWOULDBLOCK;  // replaced meanwhile
    }
    const int error = RemoveFile(path);
    return error == ENOENT ? 0 : error;
}

// Makes a file of this process's own at `path`, locked, and registered so
// that an interrupt removes it. Whatever stands at that name and no live
// run holds is taken for a killed run's leftover and its name removed (a
// link or pipe as well: only the name goes); one that a live run holds is
// waited for (EWOULDBLOCK after the wait); one this user may not read or
// remove is left alone: EEXIST.
int CreateOwnFile(const std::string& path, OsFile& file, std::optional<PendingTemporaryFile>& pending) {
    return RetryWhileBusy(kBusyWait, [&] {
        for (;;) {
            {
                const HeldInterrupts held;  // registered before an interrupt may act
                const int error = file.Open(path, OsFile::Mode::kCreateNew);
                if (error == 0) {
                    if (LockedAtItsName(file, path)) {
                        pending.emplace(path);
                        return 0;
                    }
                    file.Close();  // another run took it for a leftover at once
                    return EWOULDBLOCK;
                }
                if (error != EEXIST) return error;
            }
            const int error = RemoveLeftover(path);
            if (error == EACCES || error == EPERM) return EEXIST;
            if (error != 0) return error;
        }
    });
}

// A rename that waits briefly for another program holding the file.
int RenameWaiting(const std::string& from, const std::string& to) {
    const int error = RetryWhileBusy(kRenameWait, [&] { return RenameFile(from, to); });
    return error == EWOULDBLOCK ? EACCES : error;
}

struct Attempt {
    ReplaceOutcome outcome;
    bool folderRefused = false;  // the file itself may still be written in place
};

// The new content in a file of its own, then renamed over `target`. `old`,
// when the target exists: its permissions and attributes go to the new
// file, and it is closed before the rename. `holdFromRename`, for a
// journal: the file stays this user's alone, and interrupts are held from
// just before it takes its name, so that one before removes it and one
// after waits for the write it guards.
Attempt ThroughNewFile(const std::string& target, const FileContent& content, OsFile* old, const FileIdentity* expected,
                       std::optional<HeldInterrupts>* holdFromRename = nullptr) {
    const std::string temp = TemporaryPathFor(target);
    OsFile file;
    std::optional<PendingTemporaryFile> pending;
    if (const int error = CreateOwnFile(temp, file, pending); error != 0) {
        if (error == EWOULDBLOCK) return {Failed(Stage::kBusy, error)};
        if (error == EEXIST) return {{Stage::kForeign, error, temp}};
        return {Failed(Stage::kCreate, error), FolderRefuses(error)};
    }
    const auto abandon = [&](ReplaceOutcome outcome, bool folderRefused) {
        file.Close();
        RemoveFile(temp);
        return Attempt{outcome, folderRefused};
    };
    if (old != nullptr) {
        // Attributes that cannot be kept (an owner this user may not give)
        // send the file to the in-place write.
        if (const int error = CopyFileAttributes(*old, target, file, temp); error != 0) {
            return abandon(Failed(Stage::kCreate, error), true);
        }
        old->Close();
    } else if (const int error = holdFromRename != nullptr ? 0 : SetNewFileMode(file); error != 0) {
        return abandon(Failed(Stage::kWrite, error), false);
    }
    int error = WriteGathered(content, [&](std::string_view bytes) { return file.Write(bytes); });
    if (error == 0) error = file.Flush();
    if (error == 0 && kRenameNeedsClosedFile) error = file.Close();
    if (error != 0) return abandon(Failed(Stage::kWrite, error), false);
    if (!StillAsExpected(target, expected)) return abandon(Changed(), false);
    if (holdFromRename != nullptr) holdFromRename->emplace();
    if (const int renameError = RenameWaiting(temp, target); renameError != 0) {
        return abandon(Failed(Stage::kCreate, renameError), FolderRefuses(renameError));
    }
    if (const int closeError = file.Close(); closeError != 0) return {Failed(Stage::kWrite, closeError)};
    SyncFolder(DirectoryPart(target));
    return {};
}

// ---- The journal ------------------------------------------------------------

struct Journal {
    FileIdentity file;  // volume, number and birth
    std::string name;   // the file's name when it was written
    std::string_view oldBytes;
    std::string_view newBytes;
};

std::string StateJournalName(const FileIdentity& file) {
    return kStateJournalPrefix + Hex(file.volume) + "-" + Hex(file.fileNumber);
}

// The same file as the journal's: the same number on the same volume, and
// born at the same instant, so that a later file given the number of a
// deleted one is not taken for it.
bool IsJournalsFile(const FileIdentity& file, const Journal& journal) {
    return file.SameFileAs(journal.file) && file.bornTicks == journal.file.bornTicks;
}

std::string JournalHeader(const FileIdentity& file, std::string_view name, std::size_t oldSize, std::size_t newSize) {
    return std::string(kJournalSignature) + Hex(file.volume) + " " + Hex(file.fileNumber) + " " +
           std::to_string(file.bornTicks) + " " + std::to_string(oldSize) + " " + std::to_string(newSize) + " " +
           std::to_string(name.size()) + "\n" + std::string(name);
}

// Reads one number up to `end`, then skips it; false when there is none.
template <typename Number>
bool TakeNumber(std::string_view& text, char end, int base, Number& value) {
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || next == text.data() + text.size() || *next != end) return false;
    text.remove_prefix(static_cast<std::size_t>(next - text.data()) + 1);
    return true;
}

bool ParseJournal(std::string_view bytes, Journal& journal) {
    if (!bytes.starts_with(kJournalSignature)) return false;
    bytes.remove_prefix(kJournalSignature.size());
    std::uint64_t oldSize = 0, newSize = 0, nameSize = 0;
    if (!TakeNumber(bytes, ' ', kHex, journal.file.volume) || !TakeNumber(bytes, ' ', kHex, journal.file.fileNumber) ||
        !TakeNumber(bytes, ' ', kDecimal, journal.file.bornTicks) || !TakeNumber(bytes, ' ', kDecimal, oldSize) ||
        !TakeNumber(bytes, ' ', kDecimal, newSize) || !TakeNumber(bytes, '\n', kDecimal, nameSize) ||
        bytes.size() != nameSize + oldSize + newSize || nameSize == 0) {
        return false;
    }
    journal.name = bytes.substr(0, nameSize);
    journal.oldBytes = bytes.substr(nameSize, oldSize);
    journal.newBytes = bytes.substr(nameSize + oldSize);
    return journal.name.find_first_of("/\\:") == std::string::npos;
}

// Reads the journal at `path` when it is this user's own: a plain file of
// one name, that no one else may write, read through no link.
bool ReadOwnJournal(const std::string& path, std::string& bytes, Journal& journal) {
    OsFile file;
    FileIdentity named, opened;
    if (NameIdentityOf(path, named) != 0 || file.Open(path, OsFile::Mode::kRead) != 0 || file.Identity(opened) != 0) {
        return false;
    }
    if (!opened.SameFileAs(named) || !named.regular || opened.linkCount != 1 || !file.PrivateToUser()) return false;
    return file.ReadAll(bytes) == 0 && ParseJournal(bytes, journal);
}

// Removes the journal, then the mark that points at it on `file` (given
// when open), so that a mark never outlives its journal for long.
int RemoveJournal(const std::string& journalPath, OsFile* file) {
    int error = RemoveFile(journalPath);
    if (error == 0) SyncFolder(DirectoryPart(journalPath));
    if (error == 0 && file != nullptr) error = RemoveJournalMark(*file);
    return error;
}

// Writes the journal of the file at `target` durably under its final
// name: beside the file, or where its folder lets no file be made there,
// in the private state folder. `journalPath` tells which; `held` holds
// interrupts from its taking its name on.
ReplaceOutcome WriteJournal(const std::string& target, const FileIdentity& identity, std::string_view oldBytes,
                            std::string_view newBytes, std::string& journalPath, std::optional<HeldInterrupts>& held) {
    const std::string header = JournalHeader(identity, FileNameOf(target), oldBytes.size(), newBytes.size());
    const std::string_view parts[] = {header, oldBytes, newBytes};
    const FileContent journal{parts, {}};
    journalPath = JournalPathFor(target);
    Attempt written = ThroughNewFile(journalPath, journal, nullptr, nullptr, &held);
    if (written.folderRefused) {
        if (const std::string folder = PrivateStateFolder(true); !folder.empty()) {
            journalPath = folder + StateJournalName(identity);
            written = ThroughNewFile(journalPath, journal, nullptr, nullptr, &held);
        }
    }
    // The comet file itself stays as it was: a failure to write.
    if (written.outcome.stage == Stage::kCreate) written.outcome.stage = Stage::kWrite;
    return written.outcome;
}

// ---- Writing in place, and putting the old content back ---------------------

// What a file may hold while its in-place write, or the putting back of its
// old content, is under way: at every place the old byte, the new one, or,
// past the shorter of the two, a zero where the file was grown and not yet
// written; a size between the two contents'.
bool IsAMixOf(std::string_view bytes, std::string_view oldBytes, std::string_view newBytes) {
    const std::size_t shorter = std::min(oldBytes.size(), newBytes.size());
    if (bytes.size() < shorter || bytes.size() > std::max(oldBytes.size(), newBytes.size())) return false;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const char byte = bytes[at];
        if (!((at < oldBytes.size() && byte == oldBytes[at]) || (at < newBytes.size() && byte == newBytes[at]) ||
              (at >= shorter && byte == '\0'))) {
            return false;
        }
    }
    return true;
}

// Writes `bytes` over the whole file from its first byte: its room is
// reserved and its size grown first, so that a full disk or a size limit
// stops it before anything is overwritten; then it is cut to their end.
int WriteWhole(OsFile& file, std::string_view bytes) {
    int error = file.Reserve(bytes.size());
    if (error == 0) error = file.GrowTo(bytes.size());
    if (error == 0) error = file.WriteAt(0, bytes);
    if (error == 0) error = file.CutTo(bytes.size());
    if (error == 0) error = file.Flush();
    return error;
}

ReplaceOutcome WriteInPlace(const std::string& target, const FileContent& content, const FileIdentity* expected) {
    OsFile file;
    if (const int error = file.Open(target, OsFile::Mode::kReadWriteNoLink); error != 0) {
        return Failed(Stage::kCreate, error);
    }
    FileIdentity identity;
    std::string oldBytes;
    if (const int error = file.Identity(identity); error != 0) return Failed(Stage::kWrite, error);
    if (expected != nullptr && !identity.SameStateAs(*expected)) return Changed();
    if (const int error = file.ReadAll(oldBytes); error != 0) return Failed(Stage::kWrite, error);
    const std::string newBytes = Joined(content);
    // From the journal's taking its name, a process that dies leaves it to
    // the next run; an interrupt waits for the end.
    std::optional<HeldInterrupts> held;
    std::string journalPath;
    if (ReplaceOutcome journaled = WriteJournal(target, identity, oldBytes, newBytes, journalPath, held);
        !journaled.ok()) {
        return journaled;
    }
    // A journal away from its file is marked on the file for every later
    // run to see; where no mark can be made, nothing is written.
    if (journalPath != JournalPathFor(target)) {
        if (const int error = SetJournalMark(file, journalPath); error != 0) {
            RemoveJournal(journalPath, nullptr);
            return Failed(Stage::kWrite, error);
        }
    }
    const std::size_t largest = std::max(oldBytes.size(), newBytes.size());
    // A look before anything changes.
    FileIdentity now;
    if (file.Identity(now) != 0 || !now.SameStateAs(identity) || now.sizeBytes != oldBytes.size()) {
        RemoveJournal(journalPath, &file);
        return Changed();
    }
    // Room and size first, grown and never cut: a full disk or a size limit
    // stops the write here, and whatever another program appends from now
    // on lands past every byte this write touches.
    int error = file.Reserve(largest);
    if (error == 0) error = file.GrowTo(largest);
    std::string look;
    if (error == 0) error = file.ReadAll(look);
    if (error != 0) {
        if (file.Identity(now) == 0 && now.sizeBytes == oldBytes.size()) RemoveJournal(journalPath, &file);
        return Failed(Stage::kWrite, error);
    }
    // The old content, then only the zeros of the growth: another program's
    // cut or write before it shows here, and stays. Bytes it appended just
    // before the growth stay too, without the zeros the growth put after
    // them. (Bytes appended after the growth lie past it: the size tells.)
    if (look.size() < largest || look.compare(0, oldBytes.size(), oldBytes) != 0) return Changed();
    if (look.find_first_not_of('\0', oldBytes.size()) < largest) {
        const std::size_t end = look.find_last_not_of('\0') + 1;
        if (end < look.size() && file.Identity(now) == 0 && now.sizeBytes == look.size()) file.CutTo(end);
        return Changed();
    }
    // A failure puts the old content back at once; should that fail too,
    // the journal stays for the next run.
    const auto putBack = [&](int writeError) {
        if (WriteWhole(file, oldBytes) == 0) RemoveJournal(journalPath, &file);
        return Failed(Stage::kWrite, writeError);
    };
    // The last look, just before the first byte: a cut by another program
    // since the growth shows in the size.
    if (file.Identity(now) != 0 || now.sizeBytes != largest) return Changed();
    if (const int writeError = file.WriteAt(0, newBytes); writeError != 0) return putBack(writeError);
    if (const int lookError = file.Identity(now); lookError != 0) return putBack(lookError);
    if (now.sizeBytes != largest) {
        file.Flush();
        return Changed();  // appended to meanwhile: its bytes lie past ours, untouched
    }
    // A file that shrinks is cut. Bytes another program appends between the
    // look above and the cut would go with it: the one instant no check
    // covers (the README says so).
    error = newBytes.size() < oldBytes.size() ? file.CutTo(newBytes.size()) : 0;
    if (error == 0) error = file.Flush();
    if (error == 0) error = file.ReadAll(look);
    if (error != 0) return putBack(error);
    if (look != newBytes) return Changed();
    if (const int removeError = RemoveJournal(journalPath, &file); removeError != 0) {
        return Failed(Stage::kWrite, removeError);
    }
    if (const int closeError = file.Close(); closeError != 0) return Failed(Stage::kWrite, closeError);
    return {};
}

// A device, a pipe: nothing to rename over, so written as it is.
ReplaceOutcome WriteSpecialFile(const std::string& target, const FileContent& content) {
    OsFile file;
    if (const int error = file.Open(target, OsFile::Mode::kCreateOrEmpty); error != 0) {
        return Failed(Stage::kCreate, error);
    }
    int error = WriteGathered(content, [&](std::string_view bytes) { return file.Write(bytes); });
    if (const int closeError = file.Close(); error == 0) error = closeError;
    return error != 0 ? Failed(Stage::kWrite, error) : ReplaceOutcome{};
}

// The one rule that chooses how a file is written. With `asName`, a link or
// a device at `path` is replaced by a file of its own; without, what the
// path leads to gets the content.
ReplaceOutcome Replace(const std::string& path, const FileContent& content, const FileIdentity* expected, bool asName) {
    const std::string target = asName ? path : ResolveLinks(path);
    FileIdentity named;
    const bool exists = NameIdentityOf(target, named) == 0;
    if (exists && named.folder) return Failed(Stage::kCreate, EISDIR);
    if (!StillAsExpected(target, expected)) return Changed();
    if (!exists) return ThroughNewFile(target, content, nullptr, expected).outcome;
    if (asName && (!named.regular || named.linkCount > 1)) {
        const Attempt attempt = ThroughNewFile(target, content, nullptr, expected);
        const int error = attempt.outcome.platformError;
        if (attempt.folderRefused && (error == EACCES || error == EPERM || error == EROFS)) {
            return {Stage::kLinkKept, error, {}};
        }
        return attempt.outcome;
    }
    if (!named.regular) return WriteSpecialFile(target, content);
    // Whatever the folder allows, a file this process may not write is not
    // replaced.
    OsFile old;
    if (const int error = RetryWhileBusy(kRenameWait, [&] { return old.Open(target, OsFile::Mode::kReadWriteNoLink); });
        error != 0) {
        return Failed(Stage::kCreate, error == EWOULDBLOCK ? EACCES : error);
    }
    if (named.linkCount > 1) {
        old.Close();
        return WriteInPlace(target, content, expected);
    }
    const Attempt attempt = ThroughNewFile(target, content, &old, expected);
    if (!attempt.folderRefused) return attempt.outcome;
    old.Close();
    return WriteInPlace(target, content, expected);
}

// ---- Recovery ---------------------------------------------------------------

// Keeps the journal's old content in a file of its own beside the journal
// for the user, then removes the journal.
RecoveryOutcome PutAside(const std::string& journalPath, const Journal& journal) {
    const HeldInterrupts held;  // no half-kept copy
    for (int copy = 1; copy <= kMostKeptCopies; ++copy) {
        const std::string keptPath = DirectoryPart(journalPath) + journal.name + kKeptCopySuffix +
                                     (copy > 1 ? "-" + std::to_string(copy) : std::string());
        OsFile kept;
        int error = kept.Open(keptPath, OsFile::Mode::kCreateNew);
        if (error == EEXIST) continue;
        if (error != 0) return RecoveryFailed(error);
        error = SetNewFileMode(kept);
        if (error == 0) error = kept.Write(journal.oldBytes);
        if (error == 0) error = kept.Flush();
        if (const int closeError = kept.Close(); error == 0) error = closeError;
        if (error != 0) {
            RemoveFile(keptPath);
            return RecoveryFailed(error);
        }
        if (const int removeError = RemoveJournal(journalPath, nullptr); removeError != 0) {
            return RecoveryFailed(removeError);
        }
        return {Kind::kPutAside, 0, keptPath};
    }
    return RecoveryFailed(EEXIST);
}

// `marked`: the journal was found by the file's mark, which anyone who may
// write the file could have set: it is acted on only for its own file.
RecoveryOutcome RecoverFrom(const std::string& journalPath, const std::string& target, bool marked) {
    std::string bytes;
    Journal journal;
    if (!ReadOwnJournal(journalPath, bytes, journal)) return {Kind::kForeign, 0, journalPath};
    OsFile file;
    if (const int error = file.Open(target, OsFile::Mode::kReadWriteNoLink); error != 0) {
        // Gone, or a link now: not the journal's file.
        if (error != ENOENT && error != ELOOP) return RecoveryFailed(error);
        return marked ? RecoveryOutcome{} : PutAside(journalPath, journal);
    }
    FileIdentity identity;
    std::string current;
    if (const int error = file.Identity(identity); error != 0) return RecoveryFailed(error);
    if (!IsJournalsFile(identity, journal)) return marked ? RecoveryOutcome{} : PutAside(journalPath, journal);
    if (const int error = file.ReadAll(current); error != 0) return RecoveryFailed(error);
    if (current != journal.oldBytes && !IsAMixOf(current, journal.oldBytes, journal.newBytes)) {
        RecoveryOutcome outcome = PutAside(journalPath, journal);
        if (outcome.kind == Kind::kPutAside) RemoveJournalMark(file);
        return outcome;
    }
    Kind kind = Kind::kNothing;
    if (current != journal.oldBytes) {
        const HeldInterrupts held;
        if (const int error = WriteWhole(file, journal.oldBytes); error != 0) return RecoveryFailed(error);
        kind = Kind::kRestored;
    }
    if (const int error = RemoveJournal(journalPath, &file); error != 0) return RecoveryFailed(error);
    return {kind, 0, {}};
}

}  // namespace

std::uint64_t FileContent::SizeBytes() const {
    std::uint64_t size = static_cast<std::uint64_t>(after.size()) * pieces.size();
    for (const std::string_view piece : pieces) size += piece.size();
    return size;
}

std::string TemporaryPathFor(const std::string& target) {
    return DirectoryPart(target) + "." + FileNameOf(target) + kTemporarySuffix;
}

std::string JournalPathFor(const std::string& target) {
    return DirectoryPart(target) + "." + FileNameOf(target) + kJournalSuffix;
}

ReplaceOutcome ReplaceFileContent(const std::string& path, const FileContent& content, const FileIdentity* expected) {
    return Replace(path, content, expected, false);
}

ReplaceOutcome ReplaceNamedFile(const std::string& path, std::string_view bytes) {
    return Replace(path, FileContent{{&bytes, 1}, {}}, nullptr, true);
}

RecoveryOutcome RecoverInterruptedWrite(const std::string& path) {
    const std::string target = ResolveLinks(path);
    FileIdentity identity;
    if (NameIdentityOf(target, identity) != 0 || !identity.regular) return {};
    // Beside the file, in this user's state folder, and where a mark on the
    // file points (a run with other settings, another user).
    std::vector<std::string> journals = {JournalPathFor(target)};
    if (const std::string folder = PrivateStateFolder(false); !folder.empty()) {
        journals.push_back(folder + StateJournalName(identity));
    }
    std::string markedPath;
    if (const int error = ReadJournalMark(target, markedPath); error != 0) return RecoveryFailed(error);
    const bool markKnown = std::find(journals.begin(), journals.end(), markedPath) != journals.end();
    if (!markedPath.empty() && !markKnown) journals.push_back(markedPath);
    RecoveryOutcome outcome;
    for (const std::string& journalPath : journals) {
        const bool marked = !markKnown && journalPath == markedPath;
        FileIdentity there;
        if (const int error = NameIdentityOf(journalPath, there); error != 0) {
            // Another user's journal, in a folder this user may not look into.
            if (marked && error != ENOENT) return {Kind::kForeign, 0, journalPath};
            continue;
        }
        const RecoveryOutcome found = RecoverFrom(journalPath, target, marked);
        if (found.kind == Kind::kRestored) outcome = found;
        if (found.kind != Kind::kNothing && found.kind != Kind::kRestored) return found;
    }
    return outcome;
}

}  // namespace celestra
