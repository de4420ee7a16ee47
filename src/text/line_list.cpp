#include "text/line_list.h"

#include "text/errors.h"
#include "text/platform_file.h"

namespace celestra {
namespace {

constexpr std::size_t kReadChunkBytes = 1 << 20;

[[noreturn]] void ThrowFull() { throw ListError("Unable to insert a line"); }

// The whole content of a file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    InputFile file;
    if (file.Open(path) != 0) return false;
    std::string content;
    for (;;) {
        const std::size_t used = content.size();
        content.resize(used + kReadChunkBytes);
        int error = 0;
        const std::size_t count = file.Read(content.data() + used, kReadChunkBytes, error);
        content.resize(used + count);
        if (error != 0) return false;
        if (count == 0) break;
    }
    bytes = std::move(content);
    return true;
}

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

void LineList::LoadFromFile(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) throw FileStreamError("Cannot open file " + path);
    std::vector<std::string> lines = SplitLines(bytes);
    if (lines.size() > maxCount_) ThrowFull();
    lines_ = std::move(lines);
}

void LineList::SaveToFile(const std::string& path) const {
    OutputFile file;
    if (file.Create(path) != 0) throw FileStreamError("Cannot create file " + path);
    const int writeError = file.Write(JoinLines(lines_));
    const int closeError = file.Close();
    if (writeError != 0 || closeError != 0) throw FileStreamError("Stream write error");
}

}  // namespace celestra
