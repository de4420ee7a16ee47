// The batch command run as a child process, with resource limits (POSIX).
#pragma once

#include <string>
#include <vector>

namespace celestra::testing {

struct ChildResult {
    int exitStatus = -1;  // -1 when killed by a signal
    std::string out;
    std::string err;
};

// Limits for the child; 0 leaves a limit alone.
struct ChildLimits {
    long long fileSizeBytes = 0;      // RLIMIT_FSIZE
    long long addressSpaceBytes = 0;  // RLIMIT_AS
    bool asPlainUser = false;         // as nobody (65534) when the tests run as root
    std::string stateHome = {};       // the child's XDG_STATE_HOME, where set
};

// The user and group a plain-user child runs as.
inline constexpr unsigned kNobody = 65534;

// Runs celestra-batch with these arguments in `folder`.
ChildResult RunBatch(const std::vector<std::string>& args, const std::string& folder, ChildLimits limits = {});

// Starts celestra-batch in `folder` with its output discarded; the caller
// waits for (or kills) the process.
int StartBatch(const std::vector<std::string>& args, const std::string& folder, const ChildLimits& limits = {});

}  // namespace celestra::testing
