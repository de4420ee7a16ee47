#include "core/processing_run.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "core/object_line.h"
#include "core/precise_comet.h"
#include "core/pseudo_comet.h"
#include "text/atomic_file.h"
#include "text/errors.h"
#include "text/interrupt_cleanup.h"
#include "text/numbers.h"
#include "text/platform_file.h"
#include "text/strings.h"
#include "text/text_file.h"
#include "text/write_journal.h"

namespace celestra {
namespace {

// Object lines this short can carry no fields; the purge drops them.
constexpr std::size_t kShortestPurgedObjectLine = 9;
// The designation of a comet line: its key is these columns, trimmed.
constexpr int kCometDesignationWidth = 14;

std::string_view CometKey(std::string_view cometLine) { return Trim(Substring(cometLine, 1, kCometDesignationWidth)); }

// The objects' designation keys, asked once for every comet line: open
// addressing, at most half full, each key held in its slot. A designation
// fits in a word, so that a slot is read without reaching into the object
// lines; a longer key is no designation's.
class KeySet {
public:
    static constexpr std::size_t kLongestKey = sizeof(std::uint64_t);
    static_assert(kDesignationField.width <= static_cast<int>(kLongestKey));

    // A key as the table takes it: its bytes, and where its search starts.
    struct Probe {
        std::uint64_t bytes = 0;  // the key's, then zeros
        std::uint64_t size = 0;   // 0: the empty key
        std::size_t first = 0;
        bool fits = true;  // no longer than kLongestKey
    };

    explicit KeySet(std::size_t keyCount)
        : slots_(std::bit_ceil(std::max<std::size_t>(2 * keyCount, 16))),
          shift_(64 - std::countr_zero(slots_.size())) {}

    Probe ProbeOf(std::string_view key) const {
        Probe probe;
        if (key.size() > kLongestKey) {
            probe.fits = false;
            return probe;
        }
        if (!key.empty()) std::memcpy(&probe.bytes, key.data(), key.size());
        probe.size = key.size();
        // The product's high bits depend on every byte of the key.
        probe.first = static_cast<std::size_t>(((probe.bytes ^ (probe.size << 59)) * 0x9E3779B97F4A7C15ULL) >> shift_);
        return probe;
    }

    // Asks for the memory of the key's first slot: the table is larger than
    // the caches, and a loop that asks a few keys ahead waits for several
    // slots at once instead of one after another.
    void Prefetch(const Probe& key) const { __builtin_prefetch(&slots_[key.first]); }

    void Insert(const Probe& key) {
        if (!key.fits) throw std::length_error("designation key longer than a word");
        if (key.size == 0) {
            hasEmpty_ = true;
            return;
        }
        Slot& slot = slots_[IndexFor(key)];
        if (slot.size == 0) slot = {key.bytes, key.size};
    }

    bool Contains(const Probe& key) const {
        if (!key.fits) return false;
        if (key.size == 0) return hasEmpty_;
        return slots_[IndexFor(key)].size != 0;
    }

private:
    struct Slot {
        std::uint64_t bytes = 0;
        std::uint64_t size = 0;  // 0: an empty slot
    };

    // The slot holding `key`, or the empty one where it would go.
    std::size_t IndexFor(const Probe& key) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = key.first;; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (slot.size == 0 || (slot.bytes == key.bytes && slot.size == key.size)) return at;
        }
    }

    std::vector<Slot> slots_;
    int shift_;  // keeps the hash's top bits, as many as index the slots
    bool hasEmpty_ = false;
};

// Calls use(i, probe) with the key of every line, in order, each key made
// ready, and its slot fetched, a few lines before its turn.
template <typename KeyOf, typename Use>
void ForEachKey(const KeySet& keys, const std::vector<std::string_view>& lines, KeyOf keyOf, Use use) {
    constexpr std::size_t kLinesAhead = 16;
    std::array<KeySet::Probe, kLinesAhead> ahead;
    const auto prepare = [&](std::size_t i) {
        KeySet::Probe& probe = ahead[i % kLinesAhead];
        probe = keys.ProbeOf(keyOf(lines[i]));
        keys.Prefetch(probe);
    };
    for (std::size_t i = 0; i < std::min(lines.size(), kLinesAhead); ++i) prepare(i);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const KeySet::Probe probe = ahead[i % kLinesAhead];
        if (i + kLinesAhead < lines.size()) prepare(i + kLinesAhead);
        use(i, probe);
    }
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

// Below this many lines a second thread costs more than it saves.
constexpr std::size_t kLinesWorthASecondThread = 4096;

// Adds to `list` the lines written for every i from `first` up to `last`,
// in order, each by line(i, text) where `line` = newLineMaker(), one maker
// for each thread that writes lines. Many lines, with a second core, are
// made on two threads, the later half on the second one meanwhile; the lines
// added and the error thrown are still those of making and adding them one
// after another.
template <typename NewLineMaker>
void AddLinesInOrder(LineList& list, std::size_t first, std::size_t last, const NewLineMaker& newLineMaker) {
    const auto addLines = [&](LineList& into, std::size_t from, std::size_t to, const std::stop_token& stop) {
        auto makeLine = newLineMaker();
        std::string line;  // one room for every line
        for (std::size_t i = from; i < to && !stop.stop_requested(); ++i) {
            makeLine(i, line);
            into.Add(line);
        }
    };
    if (last - first < kLinesWorthASecondThread || std::thread::hardware_concurrency() < 2) {
        addLines(list, first, last, {});
        return;
    }
    const std::size_t middle = first + (last - first) / 2;
    LineList later;
    std::exception_ptr laterError;
    std::optional<std::jthread> helper;  // stopped and joined however this ends
    try {
        helper.emplace([&](const std::stop_token& stop) {
            LeaveInterruptsToOtherThreads();
            try {
                addLines(later, middle, last, stop);
            } catch (...) {
                laterError = std::current_exception();
            }
        });
    } catch (const std::system_error&) {  // no thread to be had: one after another
        addLines(list, first, last, {});
        return;
    }
    addLines(list, first, middle, {});
    helper->join();
    list.Append(std::move(later));
    if (laterError) std::rethrow_exception(laterError);
}

// Runs `first` on this thread while `second` runs on a second one, which
// writes no file and handles no interrupt. Throws as running them one after
// the other would: `first`'s error, else `second`'s; but the effects of
// `second` stay when `first` fails.
template <typename First, typename Second>
void RunAlongside(const First& first, const Second& second) {
    std::exception_ptr secondError;
    std::optional<std::jthread> helper;  // joined however this ends
    try {
        helper.emplace([&] {
            LeaveInterruptsToOtherThreads();
            try {
                second();
            } catch (...) {
                secondError = std::current_exception();
            }
        });
    } catch (const std::system_error&) {  // no thread to be had: one after the other
        first();
        second();
        return;
    }
    first();
    helper->join();
    if (secondError) std::rethrow_exception(secondError);
}

}  // namespace

std::string ClosingMessage(std::size_t objectCount) {
    return "Proceso finalizado correctamente para " + IntToText(static_cast<std::int64_t>(objectCount)) + " estrellas";
}

bool ProcessingRun::Run() {
    bool success = LockCometFile();
    if (success) {
        // The object list is read while the comet file loads: neither needs
        // the other, and a failure of the load is still the first one.
        bool objectFileFound = false;
        RunAlongside([&] { LoadLockedCometFile(); }, [&] { objectFileFound = ReadObjectFile(); });
        success = ReportObjectList(objectFileFound);
    }
    if (success) {
        // The backup is read, written and flushed while the list is purged
        // and the new lines are made, which need nothing of it; a list left
        // by a failed backup is never saved. Files are written on this
        // thread only, the one an interrupt stops.
        RunAlongside([&] { BackUpCometFile(); },
                     [&] {
                         PurgeCometList();
                         AppendPseudoComets();
                     });
        SaveCometList();
    }
    lock_.Release();  // before any box that may stay open for long
    if (success) messages_.Show(ClosingMessage(state_.objectList.Count()));
    return success;
}

bool ProcessingRun::LoadCometFile() {
    if (!LockCometFile()) return false;
    LoadLockedCometFile();
    return true;
}

bool ProcessingRun::LockCometFile() {
    if (!FileExists(state_.cometPath)) {
        messages_.Show(kCometFileNotFound);
        return false;
    }
    RefuseUnlessPlainFile(state_.cometPath);
    if (lock_.Acquire(state_.cometPath, state_.lockWait) == FileLock::Outcome::kBusy) {
        throw Error(kCometFileInUse + state_.cometPath);
    }
    RecoverStoppedWrites();
    return true;
}

void ProcessingRun::RecoverStoppedWrites() {
    const std::string& cometPath = state_.cometPath;
    const RecoveryOutcome comet = RecoverInterruptedWrite(cometPath);
    if (comet.kind == RecoveryOutcome::Kind::kFailed) {
        throw InOutErrorOf(comet.platformError, FileAccess::kWrite, cometPath);
    }
    // A backup stopped part way would otherwise stay mixed until this run
    // replaces it; a link at its name is never followed.
    const std::string backupPath = BackupPathFor(cometPath);
    FileIdentity backupName;
    if (NameIdentityOf(backupPath, backupName) == 0 && backupName.regular) {
        const RecoveryOutcome backup = RecoverInterruptedWrite(backupPath);
        if (backup.kind == RecoveryOutcome::Kind::kFailed) {
            throw InOutErrorOf(backup.platformError, FileAccess::kWrite, backupPath);
        }
    }
    if (comet.kind == RecoveryOutcome::Kind::kRestored) messages_.Show(kCometFileRestored + cometPath);
}

void ProcessingRun::LoadLockedCometFile() {
    state_.cometList.LoadFromFile(state_.cometPath);
    loaded_ = true;
    backedUp_.reset();
}

bool ProcessingRun::ReadObjectList() { return ReportObjectList(ReadObjectFile()); }

bool ProcessingRun::ReadObjectFile() {
    firstMalformed_.reset();
    if (!FileExists(state_.objectPath)) return false;
    RefuseUnlessPlainFile(state_.objectPath);
    LineList& objects = state_.objectList;
    objects.ReadFromFile(state_.objectPath);
    if (objects.Count() > 0 && objects[0].starts_with(kByteOrderMark)) {
        objects.Replace(0, objects[0].substr(kByteOrderMark.size()));
    }
    // The places are read on the way, once, for AppendPseudoComets.
    knownPlaces_.clear();
    knownPlaces_.reserve(objects.Count());
    objects.RemoveIf([&](std::string_view line) {
        ObjectPlace place;
        bool converted = false;
        const ObjectLineKind kind = ReadObjectLine(line, place, converted);
        if (kind == ObjectLineKind::kMalformed && !firstMalformed_) {
            firstMalformed_ = FieldText(line, kDesignationField);
        }
        if (kind == ObjectLineKind::kAccepted) {
            knownPlaces_.push_back({place.raRad, place.decRad, place.magnitude, converted});
        }
        return kind != ObjectLineKind::kAccepted;
    });
    knownPlacesVersion_ = objects.Version();
    return true;
}

bool ProcessingRun::ReportObjectList(bool objectFileFound) {
    if (objectFileFound && !firstMalformed_) return true;
    lock_.Release();
    messages_.Show(objectFileFound ? kFormatErrorFor + *firstMalformed_ : std::string(kObjectFileNotFound));
    return false;
}

void ProcessingRun::BackUpCometFile() {
    const std::string& cometPath = state_.cometPath;
    const std::string backupPath = BackupPathFor(cometPath);

    // The file as it is on disk now. When this run loaded it, what it loaded
    // is compared with it piece by piece and, being the same, is what the
    // backup writes; a difference is another program's change.
    FileBytes bytes;
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
    switch (outcome.stage) {
        case ReplaceOutcome::Stage::kDone: return;
        case ReplaceOutcome::Stage::kBusy: throw Error(kCometFileInUse + cometPath);
        case ReplaceOutcome::Stage::kLinkKept: throw Error(kBackupLinkKept + backupPath);
        case ReplaceOutcome::Stage::kCreate:
            throw InOutErrorOf(outcome.platformError, FileAccess::kOpenForWriting, backupPath);
        default: throw InOutErrorOf(outcome.platformError, FileAccess::kWrite, backupPath);
    }
}

void ProcessingRun::PurgeCometList() {
    // Short object lines go first, as they carry no designation field.
    state_.objectList.RemoveIf([](std::string_view line) { return line.size() < kShortestPurgedObjectLine; });

    // One pass over the comet list against the set of object keys removes
    // exactly the lines a walk per object would, in linear time.
    if (state_.objectList.Count() == 0) return;
    KeySet objectKeys(state_.objectList.Count());
    ForEachKey(objectKeys, state_.objectList.Lines(), ObjectKey,
               [&](std::size_t, const KeySet::Probe& key) { objectKeys.Insert(key); });
    std::vector<unsigned char> purged(state_.cometList.Count());
    ForEachKey(objectKeys, state_.cometList.Lines(), CometKey,
               [&](std::size_t i, const KeySet::Probe& key) { purged[i] = objectKeys.Contains(key); });
    std::size_t asked = 0;
    state_.cometList.RemoveIf([&](std::string_view) { return purged[asked++]; });
}

void ProcessingRun::AppendPseudoComets() {
    const LineList& objects = state_.objectList;
    const std::size_t count = objects.Count();
    if (count == 0) return;  // with no object the date is never read
    const bool placesKnown = knownPlaces_.size() == count && knownPlacesVersion_ == objects.Version();
    const auto placeOf = [&](std::size_t i) {
        if (!placesKnown || !knownPlaces_[i].converted) return ReadObjectPlace(objects[i]);
        const KnownPlace& known = knownPlaces_[i];
        return ObjectPlace{std::string(FieldText(objects[i], kDesignationField)), known.raRad, known.decRad,
                           known.magnitude};
    };

    // The date is converted, and the Sun computed, after the first object's
    // fields: their error comes first.
    const ObjectPlace first = placeOf(0);
    std::optional<DateGeometry> date;
    std::optional<PreciseDate> preciseDate;
    if (state_.precise) {
        preciseDate = PreciseDateOf(state_.dateText);
    } else {
        date = GeometryOfDate(state_.dateText);
    }
    if (preciseDate) {
        state_.cometList.Add(PreciseElementLine(first, *preciseDate));
    } else {
        state_.cometList.Add(ElementLine(first, *date));
    }
    // A writer for each thread: it keeps the texts of one line for the next.
    AddLinesInOrder(state_.cometList, 1, count, [&] {
        return [&, writer = ElementLineWriter()](std::size_t i, std::string& into) mutable {
            if (preciseDate) {
                PreciseElementLine(placeOf(i), *preciseDate, writer, into);
            } else {
                ElementLine(placeOf(i), *date, writer, into);
            }
        };
    });
}

void ProcessingRun::SaveCometList() {
    switch (state_.cometList.SaveToFile(state_.cometPath, backedUp_ ? &*backedUp_ : nullptr)) {
        case ReplaceOutcome::Stage::kChanged: throw Error(kCometFileChanged + state_.cometPath);
        case ReplaceOutcome::Stage::kBusy: throw Error(kCometFileInUse + state_.cometPath);
        default: break;
    }
    lock_.Release();
}

}  // namespace celestra
