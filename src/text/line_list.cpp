#include "text/line_list.h"

#include "text/atomic_file.h"
#include "text/errors.h"
#include "text/platform_file.h"

namespace celestra {
namespace {

[[noreturn]] void ThrowFull() { throw ListError("Unable to insert a line"); }

}  // namespace

std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

void LineList::Add(std::string line) {
    if (lines_.size() >= maxCount_) ThrowFull();
    lines_.push_back(std::move(line));
}

void LineList::Delete(std::size_t index) {
    if (index >= lines_.size()) throw ListError("List index out of bounds (" + std::to_string(index) + ")");
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
}

void LineList::LoadFromFile(const std::string& path, ContentSeen* seen) {
    std::string bytes;
    FileAccess failedAccess;
    if (ReadWholeFile(path, bytes, failedAccess) != 0) throw FileStreamError("Cannot open file " + path);
    if (seen != nullptr) *seen = ContentSeenOf(bytes);
    std::vector<std::string> lines = SplitLines(bytes);
    if (lines.size() > maxCount_) ThrowFull();
    lines_ = std::move(lines);
}

bool LineList::SaveToFile(const std::string& path, const FileIdentity* expected) const {
    const ReplaceOutcome outcome = ReplaceFileContent(path, JoinLines(lines_), expected);
    if (outcome.stage == ReplaceOutcome::Stage::kCreate) throw FileStreamError("Cannot create file " + path);
    if (outcome.stage == ReplaceOutcome::Stage::kWrite) throw FileStreamError("Stream write error");
    return outcome.stage != ReplaceOutcome::Stage::kChanged;
}

}  // namespace celestra
