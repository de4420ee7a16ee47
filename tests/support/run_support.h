// Helpers for tests of the processing run: a message box that records what
// it is shown, and object lines in their fixed columns.
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

}  // namespace celestra::testing
