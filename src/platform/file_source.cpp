#include "platform/file_source.h"

#include "platform/platform_file.h"

namespace celestra {

FileSource::FileSource(const std::string& path) : path_(path) {
    if (const int error = file_.Open(path, OsFile::Mode::kRead); error != 0) {
        throw InOutErrorOf(error, FileAccess::kOpenForReading, path);
    }
}

std::size_t FileSource::Read(char* buffer, std::size_t size) {
    std::size_t count = 0;
    if (const int error = file_.Read(buffer, size, count); error != 0)
        throw InOutErrorOf(error, FileAccess::kRead, path_);
    return count;
}

std::uint64_t FileSource::SizeBytes() const {
    FileIdentity identity;
    return file_.Identity(identity) == 0 ? identity.sizeBytes : 0;
}

ByteBuffer FileSource::ReadToEnd(std::string_view before) {
    ByteBuffer bytes;
    if (const int error = ReadRestOfFile(file_, before, bytes); error != 0) {
        throw InOutErrorOf(error, FileAccess::kRead, path_);
    }
    return bytes;
}

}  // namespace celestra
