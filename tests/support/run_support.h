// Helpers for tests of the processing run: a message box that records what
// it is shown, and object lines in their fixed columns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "core/object_line.h"
#include "core/pseudo_comet_lines.h"

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

// The listing of an accepted line, as the run's reading gives it.
ListedObject ListedObjectOf(std::string_view acceptedLine);

// One element line of one place for one date text, as a run writes it.
std::string LineOf(const ObjectPlace& object, std::string_view dateText, Computation computation);

// The classic element line of one object line: its fields read first, then
// the date, so that a field's error comes before the date's.
std::string ClassicLineOf(std::string_view objectLine, std::string_view dateText);

}  // namespace celestra::testing
