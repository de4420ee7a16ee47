#include "platform/text_file.h"

namespace celestra {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kWriteChunkBytes = 1 << 16;

}  // namespace

LineWriter::LineWriter(const std::string& path) : path_(path) {
    if (const int error = file_.Open(path, OsFile::Mode::kCreateOrEmpty); error != 0) {
        throw InOutErrorOf(error, FileAccess::kOpenForWriting, path);
    }
}

void LineWriter::WriteOut() {
    const int error = file_.Write(pending_);
    pending_.clear();
    if (error != 0) throw InOutErrorOf(error, FileAccess::kWrite, path_);
}

void LineWriter::WriteLine(std::string_view line) {
    pending_ += line;
    pending_ += kLineEnd;
    if (pending_.size() >= kWriteChunkBytes) WriteOut();
}

void LineWriter::Close() {
    if (!pending_.empty()) WriteOut();
    if (const int error = file_.Close(); error != 0) throw InOutErrorOf(error, FileAccess::kWrite, path_);
}

}  // namespace celestra
