// The object-list reader on arbitrary file bytes, then the element line of
// every object it accepts.
#include <algorithm>
#include <cstdint>
#include <string>

#include "core/object_line.h"
#include "core/object_table.h"
#include "core/processing_run.h"
#include "core/pseudo_comet_lines.h"
#include "fuzz_support.h"
#include "platform/line_list_file.h"
#include "text/errors.h"
#include "text/line_list.h"

using namespace celestra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RunState state;
    fuzz::InputAsFile(data, size, "objetos.txt", state.objectPath);
    fuzz::CountingMessageBox box;
    const bool ok = ProcessingRun(state, box).ReadObjectList();

    // Accepted lines are the reader's lines that it classifies so, in order.
    FUZZ_CHECK(ok == (box.count == 0));
    FUZZ_CHECK(box.count <= 1);
    if (!ok) FUZZ_CHECK(box.last.rfind("Error de formato para ", 0) == 0 && box.last.find('\n') != std::string::npos);
    // A table's rows are no lines: fuzz_table judges those.
    const std::string head(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 64 << 10));
    if (ObjectListKindOf(head) != TableKind::kNotATable) return 0;
    if (!ok) FUZZ_CHECK(box.last.find('\n') == 30);
    // Every object the reader kept is the reading of an accepted line.
    LineList lines;
    try {
        ReadTextLines(lines, state.objectPath);
    } catch (const Error&) {
        return 0;
    }
    if (lines.Count() > 0 && lines[0].starts_with("\xEF\xBB\xBF")) return 0;  // read without its mark
    std::size_t next = 0;
    for (const std::string_view line : lines.Lines()) {
        if (ClassifyObjectLine(line) != ObjectLineKind::kAccepted) continue;
        FUZZ_CHECK(next < state.objects.size());
        const ListedObject& object = state.objects[next++];
        FUZZ_CHECK(object.place.designation == FieldText(line, kDesignationField));
        std::string element;
        try {
            element = PseudoCometLines("15/01/2006", Computation::kClassic).LineOf(ReadObjectPlace(line));
        } catch (const ConversionError& error) {
            FUZZ_CHECK(object.readError == error.what());  // a field the reader admits but text to integer does not
            continue;
        }
        FUZZ_CHECK(object.readError.empty());
        FUZZ_CHECK(element.size() >= 102);
        FUZZ_CHECK(element.compare(29, 10, "999.999999") == 0);
    }
    FUZZ_CHECK(next == state.objects.size());
    return 0;
}
