#include "core/unattended_run.h"

#include <exception>
#include <vector>

#include "core/observation_date.h"
#include "core/processing_run.h"
#include "platform/regional_settings.h"

namespace celestra {
namespace {

// Keeps what the run shows, in order.
class CollectingMessageBox final : public MessageBox {
public:
    void Show(const std::string& text) override { texts_.push_back(text); }
    // What the run ended with: its last text, when that text ends it.
    UnattendedResult Ending(UnattendedResult::End end, std::string text = {}) {
        if (text.empty() && !texts_.empty()) {
            text = texts_.back();
            texts_.pop_back();
        }
        return {end, text, texts_};
    }

private:
    std::vector<std::string> texts_;
};

}  // namespace

UnattendedResult RunUnattended(const UnattendedRequest& request) {
    using End = UnattendedResult::End;
    StartUp();
    CollectingMessageBox messages;
    try {
        RunState state;
        state.cometPath = request.cometPath;
        state.objectPath = request.objectPath;
        state.dateText = request.dateText ? *request.dateText : DefaultObservationDate();
        state.precise = request.precise;
        state.tableEpochJulianYear = request.tableEpochJulianYear;
        if (!ProcessingRun(state, messages).Run()) return messages.Ending(End::kStepMessage);
    } catch (const std::exception& error) {  // the run's errors, and running out of memory
        return messages.Ending(End::kError, ErrorBoxText(ErrorText(error)));
    }
    return messages.Ending(End::kDone);
}

}  // namespace celestra
