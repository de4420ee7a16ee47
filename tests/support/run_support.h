// Helpers for tests of the processing run: a message box that records what
// it is shown, object lines in their fixed columns, and the batch command
// run as a child process with resource limits.
#pragma once

#include <string>
#include <vector>

#include "core/messages.h"

namespace celestra::testing {

class RecordingMessageBox final : public MessageBox {
public:
    void Show(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// An object line: designation in columns 1-8, right ascension "hh mm ss.ss"
// in 11-21, declination "+dd mm ss.s" in 24-34, magnitude right-aligned in
// 37-40.
std::string ObjectLine(std::string designation, const std::string& ra = "07 33 41.30",
                       const std::string& dec = "+67 32 14.8", const std::string& magnitude = "12.5");

struct ChildResult {
    int exitStatus = -1;  // -1 when killed by a signal
    std::string out;
    std::string err;
};

// Limits for the child; 0 leaves a limit alone.
struct ChildLimits {
    long long fileSizeBytes = 0;  // RLIMIT_FSIZE
};

// Runs celestra-batch with these arguments in `folder`.
ChildResult RunBatch(const std::vector<std::string>& args, const std::string& folder, ChildLimits limits = {});

// Starts celestra-batch in `folder` with its output discarded; the caller
// waits for (or kills) the process.
int StartBatch(const std::vector<std::string>& args, const std::string& folder);

}  // namespace celestra::testing
