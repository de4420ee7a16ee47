#include "core/processing_run.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/object_line.h"
#include "core/precise_comet.h"
#include "core/pseudo_comet.h"
#include "text/atomic_file.h"
#include "text/errors.h"
#include "text/numbers.h"
#include "text/platform_file.h"
#include "text/strings.h"
#include "text/text_file.h"

namespace celestra {
namespace {

// Object lines this short can carry no fields; the purge drops them.
constexpr std::size_t kShortestPurgedObjectLine = 9;
// The designation of a comet line: its key is these columns, trimmed.
constexpr int kCometDesignationWidth = 14;

std::string_view CometKey(std::string_view cometLine) { return Trim(Substring(cometLine, 1, kCometDesignationWidth)); }

// The objects' designation keys, asked once for every comet line: open
// addressing over views into the object lines, at most half full. A set of
// strings would allocate a node for every key.
class KeySet {
public:
    explicit KeySet(std::size_t keyCount) : slots_(std::bit_ceil(std::max<std::size_t>(2 * keyCount, 16))) {}

    void Insert(std::string_view key) {
        if (key.empty()) {
            hasEmpty_ = true;
            return;
        }
        Slot& slot = slots_[IndexFor(key)];
        if (slot.data == nullptr) slot = {key.data(), key.size()};
    }

    bool Contains(std::string_view key) const {
        if (key.empty()) return hasEmpty_;
        return slots_[IndexFor(key)].data != nullptr;
    }

private:
    struct Slot {
        const char* data = nullptr;  // none: an empty slot
        std::size_t size = 0;
    };

    // The slot holding `key`, or the empty one where it would go.
    std::size_t IndexFor(std::string_view key) const {
        std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
        for (const char c : key) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = static_cast<std::size_t>(hash) & mask;; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (slot.data == nullptr || std::string_view(slot.data, slot.size) == key) return at;
        }
    }

    std::vector<Slot> slots_;
    bool hasEmpty_ = false;
};

// Some Windows editors begin a UTF-8 file with these bytes.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A pipe or a device would never end, or never begin: refused by name.
void RefuseUnlessPlainFile(const std::string& path) {
    if (!IsRegularFile(path)) throw Error(kNotAPlainFile + path);
}

}  // namespace

std::string ClosingMessage(std::size_t objectCount) {
    return "Proceso finalizado correctamente para " + IntToText(static_cast<std::int64_t>(objectCount)) + " estrellas";
}

bool ProcessingRun::Run() {
    bool success = true;
    if (success) success = LoadCometFile();
    if (success) success = ReadObjectList();
    if (success) {
        BackUpCometFile();
        PurgeCometList();
        AppendPseudoComets();
        SaveCometList();
    }
    lock_.Release();  // before any box that may stay open for long
    if (success) messages_.Show(ClosingMessage(state_.objectList.Count()));
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
    state_.cometList.LoadFromFile(state_.cometPath);
    loaded_ = true;
    backedUp_.reset();
    return true;
}

bool ProcessingRun::ReadObjectList() {
    if (!FileExists(state_.objectPath)) {
        lock_.Release();
        messages_.Show(kObjectFileNotFound);
        return false;
    }
    RefuseUnlessPlainFile(state_.objectPath);
    LineList& objects = state_.objectList;
    objects.ReadFromFile(state_.objectPath);
    if (objects.Count() > 0 && objects[0].starts_with(kByteOrderMark)) {
        objects.Replace(0, objects[0].substr(kByteOrderMark.size()));
    }
    std::string badDesignation;
    bool anyMalformed = false;
    // The places are read on the way, once, for AppendPseudoComets.
    knownPlaces_.clear();
    objects.RemoveIf([&](std::string_view line) {
        ObjectPlace place;
        bool converted = false;
        const ObjectLineKind kind = ReadObjectLine(line, place, converted);
        if (kind == ObjectLineKind::kMalformed && !anyMalformed) {
            anyMalformed = true;
            badDesignation = FieldText(line, kDesignationField);
        }
        if (kind == ObjectLineKind::kAccepted) {
            knownPlaces_.push_back({place.raRad, place.decRad, place.magnitude, converted});
        }
        return kind != ObjectLineKind::kAccepted;
    });
    knownPlacesVersion_ = objects.Version();

    if (!anyMalformed) return true;
    lock_.Release();
    messages_.Show(kFormatErrorFor + badDesignation);
    return false;
}

void ProcessingRun::BackUpCometFile() {
    const std::string& cometPath = state_.cometPath;
    const std::string backupPath = DirectoryPart(cometPath) + kBackupFileName;

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
    const ReplaceOutcome outcome = ReplaceFileContent(backupPath, content);
    if (!outcome.ok()) {
        const FileAccess access =
            outcome.stage == ReplaceOutcome::Stage::kCreate ? FileAccess::kOpenForWriting : FileAccess::kWrite;
        throw InOutErrorOf(outcome.platformError, access, backupPath);
    }
}

void ProcessingRun::PurgeCometList() {
    // Short object lines go first, as they carry no designation field.
    state_.objectList.RemoveIf([](std::string_view line) { return line.size() < kShortestPurgedObjectLine; });

    // One pass over the comet list against the set of object keys removes
    // exactly the lines a walk per object would, in linear time.
    if (state_.objectList.Count() == 0) return;
    KeySet objectKeys(state_.objectList.Count());
    for (const std::string_view line : state_.objectList.Lines()) objectKeys.Insert(ObjectKey(line));
    state_.cometList.RemoveIf([&](std::string_view line) { return objectKeys.Contains(CometKey(line)); });
}

void ProcessingRun::AppendPseudoComets() {
    // The date is converted, and the Sun computed, at the first object, after
    // its fields: with no object the date is never read.
    std::optional<DateGeometry> date;
    std::optional<PreciseDate> preciseDate;
    std::string line;  // one room for every line
    const LineList& objects = state_.objectList;
    const std::size_t count = objects.Count();
    const bool placesKnown = knownPlaces_.size() == count && knownPlacesVersion_ == objects.Version();
    ObjectPlace object;
    for (std::size_t i = 0; i < count; ++i) {
        if (placesKnown && knownPlaces_[i].converted) {
            const KnownPlace& known = knownPlaces_[i];
            object.designation.assign(FieldText(objects[i], kDesignationField));
            object.raRad = known.raRad;
            object.decRad = known.decRad;
            object.magnitude = known.magnitude;
        } else {
            object = ReadObjectPlace(objects[i]);
        }
        if (state_.precise) {
            if (!preciseDate) preciseDate = PreciseDateOf(state_.dateText);
            state_.cometList.Add(PreciseElementLine(object, *preciseDate));
        } else {
            if (!date) date = GeometryOfDate(state_.dateText);
            ElementLine(object, *date, line);
            state_.cometList.Add(line);
        }
    }
}

void ProcessingRun::SaveCometList() {
    if (!state_.cometList.SaveToFile(state_.cometPath, backedUp_ ? &*backedUp_ : nullptr)) {
        throw Error(kCometFileChanged + state_.cometPath);
    }
    lock_.Release();
}

}  // namespace celestra
