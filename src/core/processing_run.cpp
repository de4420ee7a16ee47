#include "core/processing_run.h"

#include <algorithm>
#include <memory_resource>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/object_line.h"
#include "core/object_table.h"
#include "core/pseudo_comet_lines.h"
#include "platform/file_source.h"
#include "platform/line_list_file.h"
#include "platform/platform_file.h"
#include "platform/safe_write.h"
#include "text/errors.h"
#include "text/fixed_texts.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

// The designation of a comet line: its key is these columns, trimmed.
constexpr int kCometDesignationWidth = 14;

std::string_view CometKey(std::string_view cometLine) {
    return DesignationKey(Substring(cometLine, 1, kCometDesignationWidth));
}

// Some Windows editors begin a UTF-8 file with these bytes.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A pipe or a device would never end, or never begin: refused by name.
void RefuseUnlessPlainFile(const std::string& path) {
    if (!IsRegularFile(path)) throw Error(kNotAPlainFile + path);
}

std::string BackupPathFor(const std::string& cometPath) { return DirectoryPart(cometPath) + kBackupFileName; }

// True when the backup's name is the comet file's own: the user picked a
// file called CometDatBak.Txt, or a link to the one in its folder. Another
// name of the comet file's (a hard link) is not: it gets a copy of its own.
bool IsTheCometFile(const std::string& backupPath, const std::string& cometPath) {
    FileIdentity backupName, cometName, cometFile;
    if (NameIdentityOf(backupPath, backupName) != 0) return false;
    const bool sameEntryName = std::string_view(cometPath).substr(DirectoryPart(cometPath).size()) == kBackupFileName;
    if (NameIdentityOf(cometPath, cometName) == 0 && backupName.SameFileAs(cometName) &&
        (backupName.linkCount == 1 || sameEntryName)) {
        return true;
    }
    return backupName.regular && backupName.linkCount == 1 && IdentityOf(cometPath, cometFile) == 0 &&
           backupName.SameFileAs(cometFile);
}

// Goes on from a recovery that put the file back or found nothing to do;
// anything else ends the run with where the user's bytes are.
void StopUnlessRecovered(const RecoveryOutcome& outcome, const std::string& path) {
    switch (outcome.kind) {
        case RecoveryOutcome::Kind::kPutAside: throw Error(kOldContentKept + outcome.path);
        case RecoveryOutcome::Kind::kForeign: throw Error(kForeignJournal + outcome.path);
        case RecoveryOutcome::Kind::kFailed:
            throw Error(kRepairPending + path + "\n" +
                        InOutErrorOf(outcome.platformError, FileAccess::kWrite, path).what());
        default: return;
    }
}

// A source whose first bytes are read ahead, to tell the file's kind, and
// then given again before the rest. The head reaches past the comments
// that VizieR writes before its header, however many there are, up to a
// bound.
class HeadFirst final : public ByteSource {
public:
    explicit HeadFirst(ByteSource& source) : source_(source) {
        std::size_t size = 0;
        while (size < kMostHeadBytes && !HoldsAHeader(std::string_view(head_.data(), size))) {
            head_.resize(size + kHeadPieceBytes);
            const std::size_t read = source_.Read(head_.data() + size, kHeadPieceBytes);
            if (read == 0) break;
            size += read;
        }
        head_.resize(size);
    }
    std::string_view Head() const { return head_; }

    std::size_t Read(char* buffer, std::size_t size) override {
        if (given_ < head_.size()) {
            const std::size_t count = std::min(size, head_.size() - given_);
            std::copy_n(head_.data() + given_, count, buffer);
            given_ += count;
            return count;
        }
        return source_.Read(buffer, size);
    }

private:
    static constexpr std::size_t kHeadPieceBytes = std::size_t{64} << 10;
    static constexpr std::size_t kMostHeadBytes = std::size_t{16} << 20;
    // Lines past the comments that tell a table: VizieR's names, units and
    // dashes, and a first row.
    static constexpr std::size_t kLinesToTell = 4;

    static bool HoldsAHeader(std::string_view head) {
        // XML tells itself in its first bytes.
        if (const std::size_t first = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
            first != std::string_view::npos && head[first] == '<') {
            return true;
        }
        std::size_t lines = 0;
        std::size_t start = 0;
        for (std::size_t end = head.find('\n'); end != std::string_view::npos; end = head.find('\n', start)) {
            if (head[start] != '#' && ++lines == kLinesToTell) return true;
            start = end + 1;
        }
        return false;
    }

    ByteSource& source_;
    std::string head_;
    std::size_t given_ = 0;
};

// About how many rows a table holds, from its head's lines and its size:
// the room for them is made once.
std::size_t RowsToExpect(std::string_view head, std::uint64_t sizeBytes) {
    const auto lines = static_cast<std::uint64_t>(std::count(head.begin(), head.end(), '\n'));
    if (head.empty() || lines == 0) return 0;
    constexpr std::uint64_t kMostRowsToExpect = std::uint64_t{1} << 24;
    // A quarter more than the head's lines suggest: rows vary in length.
    const std::uint64_t rows = sizeBytes / (head.size() / lines + 1) + 1;
    return static_cast<std::size_t>(std::min(kMostRowsToExpect, rows + rows / 4));
}

// The refusals a replacement can end with besides its errors.
void StopUnlessWritten(const ReplaceOutcome& outcome, const std::string& cometPath) {
    switch (outcome.stage) {
        case ReplaceOutcome::Stage::kChanged: throw Error(kCometFileChanged + cometPath);
        case ReplaceOutcome::Stage::kBusy: throw Error(kCometFileInUse + cometPath);
        case ReplaceOutcome::Stage::kForeign: throw Error(kForeignFileAtOwnName + outcome.foreignPath);
        default: return;
    }
}

}  // namespace

std::string ClosingMessage(std::size_t objectCount, std::string_view magnitudeColumn) {
    std::string text = kClosingMessageBefore + IntToText(static_cast<std::int64_t>(objectCount)) + kClosingMessageAfter;
    if (!magnitudeColumn.empty()) text += "\n" + (kMagnitudeFromBefore + std::string(magnitudeColumn)) + "'";
    return text;
}

bool ProcessingRun::Run() {
    const bool success = LoadCometFile() && ReadObjectList();
    if (success) {
        BackUpCometFile();
        PurgeCometList();
        AppendPseudoComets();
        SaveCometList();
    }
    lock_.Release();  // before any box that may stay open for long
    if (success) messages_.Show(ClosingMessage(state_.objects.size(), state_.magnitudeColumn));
    return success;
}

bool ProcessingRun::LoadCometFile() {
    if (!FileExists(state_.cometPath)) {
        messages_.Show(kCometFileNotFound);
        return false;
    }
    RefuseUnlessPlainFile(state_.cometPath);
    if (lock_.Acquire(state_.cometPath, state_.lockWait) == FileLock::Outcome::kBusy) {
        throw Error(kCometFileInUse + state_.cometPath);
    }
    RecoverStoppedWrites();
    LoadRawLines(state_.cometList, state_.cometPath);
    loaded_ = true;
    backedUp_.reset();
    return true;
}

void ProcessingRun::RecoverStoppedWrites() {
    const std::string& cometPath = state_.cometPath;
    const RecoveryOutcome comet = RecoverInterruptedWrite(cometPath);
    StopUnlessRecovered(comet, cometPath);
    // A backup stopped part way would otherwise stay mixed until this run
    // replaces it; a link at its name is never followed.
    const std::string backupPath = BackupPathFor(cometPath);
    FileIdentity backupName;
    if (NameIdentityOf(backupPath, backupName) == 0 && backupName.regular) {
        StopUnlessRecovered(RecoverInterruptedWrite(backupPath), backupPath);
    }
    if (comet.kind == RecoveryOutcome::Kind::kRestored) messages_.Show(kCometFileRestored + cometPath);
}

bool ProcessingRun::ReadObjectList() {
    if (!FileExists(state_.objectPath)) {
        lock_.Release();
        messages_.Show(kObjectFileNotFound);
        return false;
    }
    RefuseUnlessPlainFile(state_.objectPath);
    state_.objects.clear();
    state_.magnitudeColumn.clear();
    try {
        ReadObjectFile();
    } catch (const ObjectListError& refusal) {
        lock_.Release();
        messages_.Show(refusal.text());
        return false;
    }
    return true;
}

void ProcessingRun::ReadObjectFile() {
    // The kind is told from the first bytes; a table is then read on from
    // them in one pass, a fixed-column list whole, as it always was. Both
    // from the one file opened here: the kind is the content's.
    FileSource source(state_.objectPath);
    HeadFirst head(source);
    const TableKind kind = ObjectListKindOf(head.Head());
    if (kind != TableKind::kNotATable) {
        ObjectTable table = ReadObjectTable(kind, head, state_.tableEpochJulianYear,
                                            state_.objectPath.substr(DirectoryPart(state_.objectPath).size()),
                                            RowsToExpect(head.Head(), source.SizeBytes()));
        state_.objects = std::move(table.objects);
        state_.magnitudeColumn = std::move(table.magnitudeColumn);
        return;
    }
    LineList lines;
    lines.LoadTextLines(source.ReadToEnd(head.Head()));
    if (lines.Count() > 0 && lines[0].starts_with(kByteOrderMark)) {
        lines.Replace(0, lines[0].substr(kByteOrderMark.size()));
    }
    state_.objects.reserve(lines.Count());
    std::optional<ObjectListError> firstMalformed;  // the one named; the reading goes on past it
    std::size_t lineNumber = 0;
    for (const std::string_view line : lines.Lines()) {
        ++lineNumber;
        ListedObject listed;
        std::string refusal;
        const ObjectLineKind lineKind = ReadObjectLine(line, listed, firstMalformed ? nullptr : &refusal);
        if (lineKind == ObjectLineKind::kAccepted) state_.objects.push_back(std::move(listed));
        if (lineKind == ObjectLineKind::kMalformed && !firstMalformed) {
            firstMalformed.emplace(std::string(FieldText(line, kDesignationField)),
                                   kWhereLine + IntToText(static_cast<std::int64_t>(lineNumber)) + ", " + refusal);
        }
    }
    if (firstMalformed) throw *firstMalformed;
}

void ProcessingRun::BackUpCometFile() {
    const std::string& cometPath = state_.cometPath;
    const std::string backupPath = BackupPathFor(cometPath);

    // The file as it is on disk now. When this run loaded it, what it loaded
    // is compared with it piece by piece and, being the same, is what the
    // backup writes; a difference is another program's change.
    ByteBuffer bytes;
    std::string_view content;
    FileAccess failedAccess;
    FileIdentity identity;
    if (loaded_) {
        content = state_.cometList.LoadedBytes();
        bool same = false;
        if (const int error = CompareFileContent(cometPath, content, same, failedAccess, &identity); error != 0) {
            throw InOutErrorOf(error, failedAccess, cometPath);
        }
        if (!same) throw Error(kCometFileChanged + cometPath);
    } else {
        if (const int error = ReadWholeFile(cometPath, bytes, failedAccess, &identity); error != 0) {
            throw InOutErrorOf(error, failedAccess, cometPath);
        }
        content = bytes.View();
    }
    backedUp_ = identity;
    if (IsTheCometFile(backupPath, cometPath)) return;  // a comet file named CometDatBak.Txt: nothing to copy
    const ReplaceOutcome outcome = ReplaceNamedFile(backupPath, content);
    StopUnlessWritten(outcome, cometPath);
    switch (outcome.stage) {
        case ReplaceOutcome::Stage::kDone: return;
        case ReplaceOutcome::Stage::kLinkKept: throw Error(kBackupLinkKept + backupPath);
        case ReplaceOutcome::Stage::kCreate:
            throw InOutErrorOf(outcome.platformError, FileAccess::kOpenForWriting, backupPath);
        default: throw InOutErrorOf(outcome.platformError, FileAccess::kWrite, backupPath);
    }
}

void ProcessingRun::PurgeCometList() {
    // One pass over the comet list against the set of object keys removes
    // exactly the lines a walk per object would, in linear time.
    // The set's entries come from one growing buffer, released at once.
    std::pmr::monotonic_buffer_resource entries;
    std::pmr::unordered_set<std::string_view> objectKeys(&entries);
    objectKeys.reserve(state_.objects.size());
    for (const ListedObject& object : state_.objects) objectKeys.insert(DesignationKey(object.place.designation));
    if (objectKeys.empty()) return;
    state_.cometList.RemoveIf([&](std::string_view line) { return objectKeys.contains(CometKey(line)); });
}

void ProcessingRun::AppendPseudoComets() {
    const std::vector<ListedObject>& objects = state_.objects;
    if (objects.empty()) return;  // with no object the date is never read
    const auto placeOf = [&](std::size_t i) -> const ObjectPlace& {
        if (!objects[i].readError.empty()) throw ConversionError(objects[i].readError);
        return objects[i].place;
    };

    // The date is converted, and the Sun computed, after the first object's
    // fields: their error comes first.
    placeOf(0);
    PseudoCometLines lines(state_.dateText, state_.precise ? Computation::kPrecise : Computation::kClassic);
    for (std::size_t i = 0; i < objects.size(); ++i) state_.cometList.Add(lines.LineOf(placeOf(i)));
}

void ProcessingRun::SaveCometList() {
    StopUnlessWritten(SaveToFile(state_.cometList, state_.cometPath, backedUp_ ? &*backedUp_ : nullptr),
                      state_.cometPath);
    lock_.Release();
}

}  // namespace celestra
