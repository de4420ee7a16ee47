// The whole-file load, the byte copy backup, the purge and the save on
// arbitrary comet files.
#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "core/object_line.h"
#include "core/processing_run.h"
#include "fuzz_support.h"
#include "platform/line_list_file.h"
#include "text/line_list.h"
#include "text/strings.h"

namespace {

using namespace celestra;

// The comet file's key: columns 1-14, trimmed.
std::string CometKey(std::string_view line) { return std::string(DesignationKey(Substring(line, 1, 14))); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RunState state;
    const std::string bytes = fuzz::InputAsFile(data, size, "comet.dat", state.cometPath);
    fuzz::CountingMessageBox box;
    ProcessingRun run(state, box);

    FUZZ_CHECK(run.LoadCometFile());
    const std::vector<std::string_view> split = SplitLines(bytes);
    FUZZ_CHECK(state.cometList.Lines() == split);
    run.BackUpCometFile();
    FUZZ_CHECK(fuzz::ReadFile(fuzz::ScratchFolder() + "CometDatBak.Txt") == bytes);

    // Objects named after every third comet line's first eight bytes.
    const std::vector<std::string> loaded(state.cometList.Lines().begin(), state.cometList.Lines().end());
    std::unordered_set<std::string> keys;
    for (std::size_t i = 0; i < loaded.size(); i += 3) {
        std::string objectLine = "          07 33 41.30  +67 32 14.8  12.5";
        PutField(objectLine, kDesignationField, Substring(loaded[i], 1, kDesignationField.width));
        ListedObject listed;
        ReadObjectLine(objectLine, listed);
        state.objects.push_back(listed);
        keys.insert(std::string(DesignationKey(FieldText(objectLine, kDesignationField))));
    }
    run.PurgeCometList();

    // Exactly the lines without an object's key stay, in order.
    std::vector<std::string_view> expected;
    std::copy_if(loaded.begin(), loaded.end(), std::back_inserter(expected),
                 [&](std::string_view line) { return keys.count(CometKey(line)) == 0; });
    FUZZ_CHECK(state.cometList.Lines() == expected);

    run.SaveCometList();
    FUZZ_CHECK(fuzz::ReadFile(state.cometPath) == JoinLines(expected));
    LineList reloaded;
    LoadRawLines(reloaded, state.cometPath);
    FUZZ_CHECK(reloaded.Lines() == expected);
    return 0;
}
