#include "platform/text_file.h"

namespace celestra {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

LineWriter::LineWriter(const std::string& path) : path_(path) {
    if (const int error = file_.Open(path, OsFile::Mode::kCreateOrEmpty); error != 0) {
        throw InOutErrorOf(error, FileAccess::kOpenForWriting, path);
    }
}

void LineWriter::WriteLine(std::string_view line) {
    int error = file_.Write(line);
    if (error == 0) error = file_.Write(kLineEnd);
    if (error != 0) throw InOutErrorOf(error, FileAccess::kWrite, path_);
}

void LineWriter::Close() {
    if (const int error = file_.Close(); error != 0) throw InOutErrorOf(error, FileAccess::kWrite, path_);
}

}  // namespace celestra
