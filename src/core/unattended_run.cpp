#include "core/unattended_run.h"

#include <exception>

#include "core/observation_date.h"
#include "core/processing_run.h"
#include "text/conventions.h"
#include "text/interrupt_cleanup.h"

namespace celestra {
namespace {

// Keeps what the run shows; the last text is the one that counts.
class CollectingMessageBox final : public MessageBox {
public:
    void Show(const std::string& text) override { last_ = text; }
    const std::string& last() const { return last_; }

private:
    std::string last_;
};

}  // namespace

UnattendedResult RunUnattended(const UnattendedRequest& request) {
    using End = UnattendedResult::End;
    RemoveTemporaryFileOnInterrupt();
    CollectingMessageBox messages;
    try {
        SetTextConventions(ConventionsFromRegionalSettings());
        RunState state;
        state.cometPath = request.cometPath;
        state.objectPath = request.objectPath;
        state.dateText = request.dateText ? *request.dateText : DefaultObservationDate();
        state.precise = request.precise;
        if (!ProcessingRun(state, messages).Run()) return {End::kStepMessage, messages.last()};
    } catch (const std::exception& error) {  // the run's errors, and running out of memory
        return {End::kError, ErrorBoxText(ErrorText(error))};
    }
    return {End::kDone, messages.last()};
}

}  // namespace celestra
