// The whole-file load, the byte copy backup, the purge and the save on
// arbitrary comet files.
#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "core/processing_run.h"
#include "fuzz_support.h"
#include "text/line_list.h"
#include "text/strings.h"

namespace {

using namespace celestra;

std::string KeyOf(const std::string& line, int width) { return Trim(Substring(line, 1, width)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RunState state;
    const std::string bytes = fuzz::InputAsFile(data, size, "comet.dat", state.cometPath);
    fuzz::CountingMessageBox box;
    ProcessingRun run(state, box);

    FUZZ_CHECK(run.LoadCometFile());
    FUZZ_CHECK(state.cometList.Lines() == SplitLines(bytes));
    run.BackUpCometFile();
    FUZZ_CHECK(fuzz::ReadFile(fuzz::ScratchFolder() + "CometDatBak.Txt") == bytes);

    // Objects named after every third comet line's first eight bytes.
    const std::vector<std::string> loaded = state.cometList.Lines();
    std::unordered_set<std::string> keys;
    for (std::size_t i = 0; i < loaded.size(); i += 3) {
        std::string designation = Substring(loaded[i], 1, 8);
        designation.resize(8, ' ');
        state.objectList.Add(designation + "  07 33 41.30  +67 32 14.8  12.5");
        keys.insert(KeyOf(designation, 8));
    }
    run.PurgeCometList();

    // Exactly the lines without an object's key stay, in order.
    std::vector<std::string> expected;
    std::copy_if(loaded.begin(), loaded.end(), std::back_inserter(expected),
                 [&](const std::string& line) { return keys.count(KeyOf(line, 14)) == 0; });
    FUZZ_CHECK(state.cometList.Lines() == expected);

    run.SaveCometList();
    FUZZ_CHECK(fuzz::ReadFile(state.cometPath) == JoinLines(expected));
    LineList reloaded;
    reloaded.LoadFromFile(state.cometPath);
    FUZZ_CHECK(reloaded.Lines() == expected);
    return 0;
}
