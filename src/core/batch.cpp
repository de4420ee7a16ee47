#include "core/batch.h"

#include <exception>
#include <ostream>

#include "core/observation_date.h"
#include "core/processing_run.h"
#include "text/conventions.h"

namespace celestra {
namespace {

constexpr const char* kUsage =
    "usage: celestra-batch [--precise] COMET_FILE OBJECT_FILE [DATE]\n"
    "\n"
    "Replaces the pseudo-comet lines of COMET_FILE with one line per object of\n"
    "OBJECT_FILE for the observation date DATE (dd/mm/yyyy, with the date\n"
    "separator of your regional settings; by default today, or tomorrow after\n"
    "noon). The file's former content is kept in CometDatBak.Txt beside it.\n"
    "\n"
    "  --precise  elements referred to the ecliptic and equinox of J2000.0, with\n"
    "             light time and the catalogue magnitude: each target within\n"
    "             0.5 arc seconds of its place at 0h of the date (the classic\n"
    "             lines, the default, are off by some 10 arc seconds in 2026)\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Exit status: 0 done, 1 a file is missing or an object line is malformed,\n"
    "2 an error ended the run, 64 wrong usage.\n";

// Collects what the run shows; the last text is the one that counts.
class CollectingMessageBox final : public MessageBox {
public:
    void Show(const std::string& text) override { last_ = text; }
    const std::string& last() const { return last_; }

private:
    std::string last_;
};

}  // namespace

int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> operands;
    bool optionsEnded = false;
    bool precise = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--precise") {
            precise = true;
        } else if (!optionsEnded && arg == "--help") {
            out << kUsage;
            return kExitSuccess;
        } else if (!optionsEnded && arg == "--version") {
            out << "celestra-batch " << CELESTRA_VERSION << "\n";
            return kExitSuccess;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            err << "celestra-batch: unknown option " << arg << "\n" << kUsage;
            return kExitUsage;
        } else {
            operands.push_back(arg);
        }
    }
    if (operands.size() < 2 || operands.size() > 3) {
        err << kUsage;
        return kExitUsage;
    }

    SetTextConventions(ConventionsFromRegionalSettings());
    RunState state;
    state.cometPath = operands[0];
    state.objectPath = operands[1];
    state.dateText = operands.size() == 3 ? operands[2] : DefaultObservationDate();
    state.precise = precise;

    CollectingMessageBox messages;
    try {
        if (!ProcessingRun(state, messages).Run()) {
            err << messages.last() << "\n";
            return kExitStepMessage;
        }
    } catch (const std::exception& error) {  // the run's errors, and running out of memory
        err << ErrorBoxText(error.what()) << "\n";
        return kExitError;
    }
    out << messages.last() << "\n";
    return kExitSuccess;
}

}  // namespace celestra
