// celestra-batch: the processing run from the command line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace celestra {

// Exit statuses of the batch command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitStepMessage = 1;  // a step's own message: missing file, bad line
inline constexpr int kExitError = 2;        // an error that ended the run
inline constexpr int kExitUsage = 64;       // wrong usage (EX_USAGE)

// Runs the command for its arguments (without the program name): the
// closing message on `out`, a step's message or an error on `err`.
int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace celestra
