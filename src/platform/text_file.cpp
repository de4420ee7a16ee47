#include "platform/text_file.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace celestra {
namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kCtrlZ = 26;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kReadChunkBytes = 1 << 16;
constexpr std::size_t kWriteChunkBytes = 1 << 16;

}  // namespace

LineReader::LineReader(const std::string& path) : path_(path), buffer_(kReadChunkBytes) {
    if (const int error = file_.Open(path, OsFile::Mode::kRead); error != 0) {
        throw InOutErrorOf(error, FileAccess::kOpenForReading, path);
    }
}

bool LineReader::Fill() {
    if (pos_ < end_) return true;
    if (ended_) return false;
    const int error = file_.Read(buffer_.data(), buffer_.size(), end_);
    pos_ = 0;
    if (error != 0) throw InOutErrorOf(error, FileAccess::kRead, path_);
    if (end_ == 0) ended_ = true;
    return end_ > 0;
}

bool LineReader::Eof() {
    if (!Fill()) return true;
    // Between reads the reader always stands at the start of a line.
    if (buffer_[pos_] == kCtrlZ) {
        ended_ = true;
        pos_ = end_ = 0;
    }
    return ended_;
}

std::string LineReader::ReadLine() {
    std::string line;
    if (Eof()) return line;
    while (Fill()) {
        const char* start = buffer_.data() + pos_;
        const auto* lineFeed = static_cast<const char*>(std::memchr(start, kLineFeed, end_ - pos_));
        const char* stop = lineFeed != nullptr ? lineFeed : buffer_.data() + end_;
        std::remove_copy(start, stop, std::back_inserter(line), kCarriageReturn);
        pos_ = static_cast<std::size_t>(stop - buffer_.data());
        if (lineFeed != nullptr) {
            ++pos_;
            break;
        }
    }
    return line;
}

void LineReader::Close() { file_.Close(); }

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
