// A file read from its start in pieces, for the readers that take their
// bytes as they come (the tables) rather than a whole file at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os_file.h"
#include "text/byte_buffer.h"
#include "text/table.h"

namespace celestra {

class FileSource final : public ByteSource {
public:
    // Opens the file for reading; throws its InOutError.
    explicit FileSource(const std::string& path);
    // Throws the InOutError of a read that fails.
    std::size_t Read(char* buffer, std::size_t size) override;
    // The file's size when it was opened, as the open file tells it; 0
    // when it does not.
    std::uint64_t SizeBytes() const;
    // The whole file: `before` (what the reads so far gave), then the rest
    // read from the same open file. Throws the InOutError of a read that
    // fails.
    ByteBuffer ReadToEnd(std::string_view before);

private:
    std::string path_;
    OsFile file_;
};

}  // namespace celestra
