#include "platform/write_journal.h"

#include <cerrno>
#include <charconv>
#include <cstdint>

#include "platform/interrupt_cleanup.h"
#include "platform/random_access_file.h"

namespace celestra {
namespace {

// A journal: this first line, then "<volume> <file number> <size>\n" (hex,
// hex, decimal), then the old content's bytes, exactly `size` of them.
constexpr std::string_view kJournalSignature = "celestra journal 1\n";
constexpr const char* kJournalPrefix = "journal-";
// The journal is made under this name beside its own, then renamed, so that
// a journal under its own name is always whole.
constexpr const char* kUnfinishedSuffix = ".tmp";

std::string Hex(std::uint64_t value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
    return std::string(digits, end);
}

std::string HeaderFor(const FileIdentity& file, std::uint64_t oldSize) {
    return std::string(kJournalSignature) + Hex(file.volume) + " " + Hex(file.fileNumber) + " " +
           std::to_string(oldSize) + "\n";
}

// Reads one number up to `end`, then skips it; false when there is none.
bool TakeNumber(std::string_view& text, char end, int base, std::uint64_t& value) {
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || next == text.data() + text.size() || *next != end) return false;
    text.remove_prefix(static_cast<std::size_t>(next - text.data()) + 1);
    return true;
}

// The old content a journal holds, when it is a whole journal of `file`.
bool OldContentOf(std::string_view journal, const FileIdentity& file, std::string_view& oldBytes) {
    if (!journal.starts_with(kJournalSignature)) return false;
    journal.remove_prefix(kJournalSignature.size());
    std::uint64_t volume = 0, fileNumber = 0, size = 0;
    if (!TakeNumber(journal, ' ', 16, volume) || !TakeNumber(journal, ' ', 16, fileNumber) ||
        !TakeNumber(journal, '\n', 10, size)) {
        return false;
    }
    if (volume != file.volume || fileNumber != file.fileNumber || size != journal.size()) return false;
    oldBytes = journal;
    return true;
}

RecoveryOutcome Failed(int error) { return {RecoveryOutcome::Kind::kFailed, error != 0 ? error : EIO}; }

// Puts back the old content the journal at `journalPath` holds for the
// file at `path`, then removes the journal.
RecoveryOutcome RecoverFrom(const std::string& journalPath, const std::string& path, const FileIdentity& identity) {
    ByteBuffer journal;
    FileAccess failedAccess;
    if (const int error = ReadWholeFile(journalPath, journal, failedAccess); error != 0) return Failed(error);
    std::string_view oldBytes;
    // A journal of another file that once had this number, or not one of
    // ours: not this file's to act on.
    if (!OldContentOf(journal.View(), identity, oldBytes)) return {};

    RandomAccessFile file;
    if (const int error = file.OpenExisting(path); error != 0) return Failed(error);
    std::string current;
    if (const int error = file.ReadAll(current); error != 0) return Failed(error);
    const bool changed = current != oldBytes;
    if (changed) {
        const HeldInterrupts held;
        if (const int error = file.Rewrite(oldBytes); error != 0) return Failed(error);
    }
    // Gone only once the old content is back on disk.
    if (const int error = RemoveJournal(journalPath); error != 0) return Failed(error);
    return {changed ? RecoveryOutcome::Kind::kRestored : RecoveryOutcome::Kind::kNothing, 0};
}

}  // namespace

std::string JournalNameFor(const FileIdentity& file) {
    return kJournalPrefix + Hex(file.volume) + "-" + Hex(file.fileNumber);
}

int WriteJournal(const FileIdentity& file, std::string_view oldBytes, std::string& journalPath) {
    const std::string folder = PrivateStateFolder();
    if (folder.empty()) return EACCES;
    journalPath = folder + JournalNameFor(file);
    const std::string unfinished = journalPath + kUnfinishedSuffix;
    RandomAccessFile journal;
    int error = journal.CreatePrivate(unfinished);
    if (error != 0) return error;
    const std::string header = HeaderFor(file, oldBytes.size());
    error = journal.Reserve(header.size() + oldBytes.size());
    if (error == 0) error = journal.WriteAt(0, header);
    if (error == 0) error = journal.WriteAt(header.size(), oldBytes);
    if (error == 0) error = journal.Flush();
    if (const int closeError = journal.Close(); error == 0) error = closeError;
    if (error == 0) error = RenameReplacing(unfinished, journalPath);
    if (error != 0) {
        RemoveFile(unfinished);
        return error;
    }
    SyncFolder(DirectoryPart(journalPath));
    return 0;
}

int RemoveJournal(const std::string& journalPath) {
    const int error = RemoveFile(journalPath);
    if (error == 0) SyncFolder(DirectoryPart(journalPath));
    return error;
}

RecoveryOutcome RecoverInterruptedWrite(const std::string& path) {
    FileIdentity identity;
    if (IdentityOf(path, identity) != 0 || !identity.regular) return {};
    RecoveryOutcome outcome;
    for (const std::string& folder : PrivateStateFolders()) {
        const std::string journalPath = folder + JournalNameFor(identity);
        if (!FileExists(journalPath)) continue;
        const RecoveryOutcome found = RecoverFrom(journalPath, path, identity);
        if (found.kind != RecoveryOutcome::Kind::kNothing) outcome = found;
        if (found.kind == RecoveryOutcome::Kind::kFailed) break;
    }
    return outcome;
}

}  // namespace celestra
