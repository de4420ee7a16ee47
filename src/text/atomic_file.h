// Replacing a file's content so that it is never left half-written: the
// bytes go to a new temporary file beside it, reach the disk, and the
// temporary file is then renamed over it. A failure at any point leaves the
// old file whole and removes the temporary file.
#pragma once

#include <string>
#include <string_view>

namespace celestra {

struct ReplaceOutcome {
    enum class Stage {
        kDone,
        kCreate,  // the temporary file could not be made, or not renamed over the file
        kWrite,   // writing or flushing the temporary file failed
    };
    Stage stage = Stage::kDone;
    int platformError = 0;  // errno of the failing call

    bool ok() const { return stage == Stage::kDone; }
};

// Replaces (or creates) the file at `path` with `bytes`. The file keeps its
// permission bits; a symbolic link stays a link and the file it points to is
// replaced. A device or other special file is written in place.
ReplaceOutcome ReplaceFileContent(const std::string& path, std::string_view bytes);

}  // namespace celestra
