#include "platform/line_list_file.h"

#include <utility>

#include "text/errors.h"
#include "text/fixed_texts.h"

namespace celestra {

void LoadRawLines(LineList& list, const std::string& path) {
    ByteBuffer bytes;
    FileAccess failedAccess;
    if (ReadWholeFile(path, bytes, failedAccess) != 0) throw FileStreamError(kCannotOpenFileBefore + path);
    list.LoadRawLines(std::move(bytes));
}

void ReadTextLines(LineList& list, const std::string& path) {
    list.Clear();
    ByteBuffer bytes;
    FileAccess failedAccess;
    if (const int error = ReadWholeFile(path, bytes, failedAccess); error != 0) {
        throw InOutErrorOf(error, failedAccess, path);
    }
    list.LoadTextLines(std::move(bytes));
}

ReplaceOutcome SaveToFile(const LineList& list, const std::string& path, const FileIdentity* expected) {
    const ReplaceOutcome outcome = ReplaceFileContent(path, FileContent{list.Lines(), "\r\n"}, expected);
    if (outcome.stage == ReplaceOutcome::Stage::kCreate) throw FileStreamError(kCannotCreateFileBefore + path);
    if (outcome.stage == ReplaceOutcome::Stage::kWrite) throw FileStreamError(kStreamWriteError);
    return outcome;
}

}  // namespace celestra
