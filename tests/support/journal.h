// A journal of a stopped in-place write, planted as a run would have left
// it: written here from the documented layout, not by the code it tests.
#pragma once

#include <string>

namespace celestra::testing {

// Writes the journal of the file at `path` (as it is now: its volume,
// number and birth) holding `oldBytes` and `newBytes`, beside it or, given
// a folder (ending in its separator), there under its state-folder name;
// only this user may read or write it. Its path.
std::string PlantJournal(const std::string& path, const std::string& oldBytes, const std::string& newBytes,
                         const std::string& stateFolder = "");

}  // namespace celestra::testing
