// The processing run for a caller without a window (the batch command):
// the conventions of the regional settings, the default observation date
// when none is given, and what the run showed, as text.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace celestra {

struct UnattendedRequest {
    std::string cometPath;
    std::string objectPath;
    std::optional<std::string> dateText;  // the default observation date when empty
    bool precise = false;                 // precise placement instead of the classic lines
    // The epoch of a table's places where the table does not tell it.
    std::optional<double> tableEpochJulianYear;
};

struct UnattendedResult {
    enum class End {
        kDone,         // the closing message
        kStepMessage,  // a step's own message: a missing file, a malformed line
        kError,        // an error ended the run: its text with the error box's full stop
    };
    End end;
    std::string text;
    // What the run showed before that and went on after (a comet file put
    // back from a stopped write), in order.
    std::vector<std::string> notices;
};

// Runs once. Never throws for what the run meets, running out of memory
// included: every error ends as kError with its text.
UnattendedResult RunUnattended(const UnattendedRequest& request);

}  // namespace celestra
