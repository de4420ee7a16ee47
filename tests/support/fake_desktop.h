// A desktop for window tests: it records every box, answers the file
// dialogs from a queue (nothing: cancelled) and counts the beeps, so that
// nothing blocks.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/desktop.h"

namespace celestra::testing {

class FakeDesktop final : public Desktop {
public:
    void Show(const std::string& text) override { messages.push_back(text); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    std::optional<std::string> ChooseFile(OpenDialog& dialog) override {
        openedOn.push_back(dialog.fileName);
        if (answers.empty()) return std::nullopt;
        const auto answer = answers.front();
        answers.pop_front();
        if (answer) dialog.fileName = *answer;
        return answer;
    }
    void Beep() override { ++beeps; }

    std::vector<std::string> messages, errors, openedOn;
    std::deque<std::optional<std::string>> answers;
    int beeps = 0;
};

}  // namespace celestra::testing
