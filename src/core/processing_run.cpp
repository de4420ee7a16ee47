#include "core/processing_run.h"

#include <optional>
#include <string_view>
#include <unordered_set>

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

// An object line has 40 significant columns.
constexpr std::size_t kObjectLineLength = 40;
// Columns that must hold a digit (the second of hours, right-ascension
// seconds, degrees and declination seconds) for a line to be an object line.
constexpr int kDigitColumns[] = {12, 18, 26, 32};
// The seven numeric fields, as (first column, width), in test order.
constexpr std::pair<int, int> kNumericFields[] = {{11, 2}, {14, 2}, {17, 5}, {25, 2}, {28, 2}, {31, 4}, {37, 4}};
constexpr int kSignColumn = 24;
// Object lines this short can carry no fields; the purge drops them.
constexpr std::size_t kShortestPurgedObjectLine = 9;
// The designation fields of the two files.
constexpr int kObjectDesignationWidth = 8;
constexpr int kCometDesignationWidth = 14;

bool IsDigitAt(std::string_view line, int column) {
    const char c = line[static_cast<std::size_t>(column - 1)];
    return c >= '0' && c <= '9';
}

// Lines that do not look like object lines at all are skipped silently.
bool LooksLikeObjectLine(std::string_view line) {
    if (line.size() < kObjectLineLength) return false;
    for (int column : kDigitColumns) {
        if (!IsDigitAt(line, column)) return false;
    }
    return true;
}

bool FieldsConvert(std::string_view line) {
    for (const auto& [column, width] : kNumericFields) {
        long double ignored;
        if (!TryTextToFloat(Substring(line, column, width), ignored)) return false;
    }
    return true;
}

bool HasSign(std::string_view line) {
    const char sign = line[kSignColumn - 1];
    return sign == '+' || sign == '-';
}

std::string ObjectKey(std::string_view objectLine) { return Trim(Substring(objectLine, 1, kObjectDesignationWidth)); }

std::string CometKey(std::string_view cometLine) { return Trim(Substring(cometLine, 1, kCometDesignationWidth)); }

}  // namespace

ObjectLineKind ClassifyObjectLine(std::string_view line) {
    if (!LooksLikeObjectLine(line)) return ObjectLineKind::kSkipped;
    // The sign is tested whether or not a field failed.
    const bool fieldsOk = FieldsConvert(line);
    const bool signOk = HasSign(line);
    return fieldsOk && signOk ? ObjectLineKind::kAccepted : ObjectLineKind::kMalformed;
}

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
    if (success) messages_.Show(ClosingMessage(state_.objectList.Count()));
    return success;
}

bool ProcessingRun::LoadCometFile() {
    if (!FileExists(state_.cometPath)) {
        messages_.Show(kCometFileNotFound);
        return false;
    }
    state_.cometList.LoadFromFile(state_.cometPath);
    return true;
}

bool ProcessingRun::ReadObjectList() {
    if (!FileExists(state_.objectPath)) {
        messages_.Show(kObjectFileNotFound);
        return false;
    }
    state_.objectList.Clear();
    std::string badDesignation;
    bool anyMalformed = false;

    LineReader reader(state_.objectPath);
    while (!reader.Eof()) {
        std::string line = reader.ReadLine();
        const ObjectLineKind kind = ClassifyObjectLine(line);
        if (kind == ObjectLineKind::kAccepted) {
            state_.objectList.Add(std::move(line));
        } else if (kind == ObjectLineKind::kMalformed && !anyMalformed) {
            anyMalformed = true;
            badDesignation = Substring(line, 1, kObjectDesignationWidth);
        }
    }
    reader.Close();

    if (!anyMalformed) return true;
    messages_.Show(kFormatErrorFor + badDesignation);
    return false;
}

void ProcessingRun::BackUpCometFile() {
    const std::string& cometPath = state_.cometPath;
    const std::string backupPath = DirectoryPart(cometPath) + kBackupFileName;

    std::string bytes;
    FileAccess failedAccess;
    if (const int error = ReadWholeFile(cometPath, bytes, failedAccess); error != 0) {
        throw InOutErrorOf(error, failedAccess, cometPath);
    }
    const ReplaceOutcome outcome = ReplaceFileContent(backupPath, bytes);
    if (!outcome.ok()) {
        const FileAccess access =
            outcome.stage == ReplaceOutcome::Stage::kCreate ? FileAccess::kOpenForWriting : FileAccess::kWrite;
        throw InOutErrorOf(outcome.platformError, access, backupPath);
    }
}

void ProcessingRun::PurgeCometList() {
    // Short object lines go first, as they carry no designation field.
    state_.objectList.RemoveIf([](const std::string& line) { return line.size() < kShortestPurgedObjectLine; });

    // One pass over the comet list against the set of object keys removes
    // exactly the lines a walk per object would, in linear time.
    std::unordered_set<std::string> objectKeys;
    objectKeys.reserve(state_.objectList.Count());
    for (const std::string& line : state_.objectList.Lines()) objectKeys.insert(ObjectKey(line));
    if (objectKeys.empty()) return;
    state_.cometList.RemoveIf([&](const std::string& line) { return objectKeys.count(CometKey(line)) != 0; });
}

void ProcessingRun::AppendPseudoComets() {
    // The date is converted, and the Sun computed, at the first object, after
    // its fields: with no object the date is never read.
    std::optional<DateGeometry> date;
    std::optional<PreciseDate> preciseDate;
    const std::size_t count = state_.objectList.Count();
    for (std::size_t i = 0; i < count; ++i) {
        const ObjectPlace object = ReadObjectPlace(state_.objectList[i]);
        if (state_.precise) {
            if (!preciseDate) preciseDate = PreciseDateOf(state_.dateText);
            state_.cometList.Add(PreciseElementLine(object, *preciseDate));
        } else {
            if (!date) date = GeometryOfDate(state_.dateText);
            state_.cometList.Add(ElementLine(object, state_.dateText, *date));
        }
    }
}

void ProcessingRun::SaveCometList() { state_.cometList.SaveToFile(state_.cometPath); }

}  // namespace celestra
